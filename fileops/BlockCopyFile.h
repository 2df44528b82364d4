// The block copy of one file with its own progress bar (PB3) and the break test.
#pragma once

#include "register/Shell.h"

#include <string_view>

enum class CopyDurability {
    Cached, // the target may still sit in the page cache when the copy returns
    OnDisk, // the target and its name are flushed to disk, its size checked, before it returns
};

// Copies the source over the target (created, or replaced when it exists) in blocks of
// kCopyBlockSize, testing BreakFlag before each block and processing the waiting events
// after it. The blocks go to a hidden file beside the target, renamed to the target when
// complete. True when the whole file was copied; false after a break, which removes the
// partial copy. A failure to open, create, read, write, flush or rename throws EFileError
// after removing the partial copy; the source is never touched.
bool BlockCopyFile(std::string_view source, std::string_view target, IShell& shell,
                   CopyDurability durability = CopyDurability::Cached);
