// The block copy of one file with its own progress bar (PB3) and the break test.
#pragma once

#include "platform/disks/DiskCalls.h"
#include "platform/fs/Paths.h"
#include "platform/ui/Shell.h"

#include <string>

enum class CopyDurability {
    Cached, // the target may still sit in the page cache when the copy returns
    OnDisk, // the target and its name are flushed to disk, its size checked, before it returns
};

// One file to copy: where it is and where it goes on disk (real paths, used as they are),
// and the register texts that the error messages name.
struct TCopyFiles {
    RealPath source, target;
    std::string gbSource, gbTarget;
};

// Copies the source file over the target (created, or replaced when it exists) in blocks of
// kCopyBlockSize. The blocks are read and written on the command's worker (`calls`) while the
// UI thread shows each block on the bar, tests BreakFlag before it and processes the waiting
// events after it, in that order. The blocks go to a hidden file beside the target, renamed
// to the target when complete. True when the whole file was copied; false after a break,
// which removes the partial copy, and when a call on either file has not answered within the
// disk deadline: its mount is then named as not answering and the partial copy is removed
// should the call ever return. A failure to open, create, read, write, flush or rename
// throws EFileError after removing the partial copy; the source is never touched.
bool BlockCopyFile(const TCopyFiles& files, IShell& shell, TDiskCalls& calls,
                   CopyDurability durability = CopyDurability::Cached);
