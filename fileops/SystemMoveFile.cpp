#include "fileops/SystemMoveFile.h"

#include "platform/text/GbText.h"

#include <string>

const FolderHandle& SystemMoves::Open(Held& slot, const RealPath& path) {
    if (!slot.handle || !slot.handle->Opened() || slot.path != path) {
        slot.handle = std::make_unique<FolderHandle>(path);
        slot.path = path;
    }
    return *slot.handle;
}

MoveOutcome SystemMoves::Move(const DiskEntry& from, const RealPath& folder,
                              std::string_view gbName) {
    const std::string leaf = from.real.Name();
    const FolderHandle& fromDir = Open(source_, from.real.Folder());
    const std::optional<FileStatus> st = fromDir.Opened() ? fromDir.StatusOf(leaf) : std::nullopt;
    if (!st || st->dev != from.dev || st->ino != from.ino) return MoveOutcome::Changed;
    const FolderHandle& toDir = Open(target_, folder);
    // A name on disk of the same register form counts as taken, as on a case-insensitive
    // file system.
    if (!toDir.Opened() || NameOfFormTaken(toDir, gbName)) return MoveOutcome::Failed;
    const std::string name = GbToUtf8(gbName);
    const bool isDir = IsFolderMode(st->mode);
    FolderEntryChange left(fromDir, leaf), arrived(toDir, name);
    if (!fromDir.MoveWithoutReplacing(leaf, toDir, name, isDir)) return MoveOutcome::Failed;
    if (isDir) {
        ClearResolverCache(); // the listings below the folder are filed under its old path
    } else {
        left.Removed();
        arrived.Added();
    }
    return MoveOutcome::Moved;
}

MoveOutcome SystemMoveFile(const DiskEntry& from, const RealPath& folder, std::string_view gbName) {
    return SystemMoves().Move(from, folder, gbName);
}
