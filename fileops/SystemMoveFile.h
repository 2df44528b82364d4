// The platform's move of one file or folder to a new name on the same file system.
#pragma once

#include "platform/fs/Paths.h"

#include <string_view>

// What a move of a checked entry came to.
enum class MoveOutcome {
    Moved,
    Changed, // its path no longer leads to the entry found before: nothing was moved
    Failed,  // the name is taken (in any letter case), or the system refused
};

// Moves the entry (a file or a folder) to the name `gbName` (register text, written in
// UTF-8 as it stands) in the real folder `folder`. Both folders are opened once and the move
// is made relative to them, so the entry leaves the very folder it was found in and arrives
// in `folder` itself, never in a case twin of either. An existing target is never replaced;
// the system refuses another file system or a folder moved into itself.
MoveOutcome SystemMoveFile(const DiskEntry& from, const RealPath& folder, std::string_view gbName);
