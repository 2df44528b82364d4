// The platform's move of one file or folder to a new name on the same file system.
#pragma once

#include "platform/fs/FolderHandle.h"
#include "platform/fs/Paths.h"

#include <memory>
#include <string_view>

// What a move of a checked entry came to.
enum class MoveOutcome {
    Moved,
    Changed, // its path no longer leads to the entry found before: nothing was moved
    Failed,  // the name is taken (in any letter case), or the system refused
};

// Moves one entry after another on one thread. Each move is made relative to the folders
// opened for it, so the entry leaves the very folder it was found in and arrives in the
// folder given itself, never in a case twin of either; the folders stay open for the next
// move from and to the same ones, and the target name is checked through the open folder.
class SystemMoves {
public:
    // Moves the entry (a file or a folder) to the name `gbName` (register text, written in
    // UTF-8 as it stands) in the real folder `folder`. An existing target is never replaced;
    // the system refuses another file system or a folder moved into itself.
    MoveOutcome Move(const DiskEntry& from, const RealPath& folder, std::string_view gbName);

private:
    struct Held {
        RealPath path;
        std::unique_ptr<FolderHandle> handle;
    };
    // The folder open in the slot, opened anew when it is another or was not opened.
    static const FolderHandle& Open(Held& slot, const RealPath& path);

    Held source_, target_;
};

// One move, as SystemMoves makes it.
MoveOutcome SystemMoveFile(const DiskEntry& from, const RealPath& folder, std::string_view gbName);
