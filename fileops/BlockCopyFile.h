// The block copy of one file with its own progress bar (PB3) and the break test.
#pragma once

#include <string>

#include "platform/Paths.h"
#include "register/Shell.h"

enum class CopyDurability {
    Cached, // the target may still sit in the page cache when the copy returns
    OnDisk, // the target and its name are flushed to disk, its size checked, before it returns
};

// Copies the source file over the target, both real paths used as they are (created, or replaced
// when it exists) in blocks of kCopyBlockSize, testing BreakFlag before each block and processing
// the waiting events after it. The blocks go to a hidden file beside the target, renamed to the
// target when complete. True when the whole file was copied; false after a break, which removes the
// partial copy. A failure to open, create, read, write, flush or rename throws EFileError
// after removing the partial copy; the source is never touched.
// One file to copy: where it is and where it goes on disk, and the register texts that the
// error messages name.
struct TCopyFiles {
    RealPath source, target;
    std::string gbSource, gbTarget;
};

bool BlockCopyFile(const TCopyFiles& files, IShell& shell,
                   CopyDurability durability = CopyDurability::Cached);
