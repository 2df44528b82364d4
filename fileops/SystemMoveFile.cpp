#include "fileops/SystemMoveFile.h"

#include "platform/fs/FolderHandle.h"
#include "platform/text/GbText.h"

#include <string>

MoveOutcome SystemMoveFile(const DiskEntry& from, const RealPath& folder, std::string_view gbName) {
    const RealPath sourceFolder = from.real.Folder();
    const std::string leaf = from.real.Name();
    const FolderHandle fromDir(sourceFolder);
    const std::optional<FileStatus> st = fromDir.Opened() ? fromDir.StatusOf(leaf) : std::nullopt;
    if (!st || st->dev != from.dev || st->ino != from.ino) return MoveOutcome::Changed;
    // A name on disk of the same register form counts as taken, as on a case-insensitive
    // file system.
    if (!FindOnDisk(folder, RegisterPath(gbName)).empty()) return MoveOutcome::Failed;
    const FolderHandle toDir(folder);
    if (!toDir.Opened()) return MoveOutcome::Failed;
    const std::string name = GbToUtf8(gbName);
    const bool isDir = IsFolderMode(st->mode);
    FolderEntryChange left{from.real}, arrived{folder.Child(name)};
    if (!fromDir.MoveWithoutReplacing(leaf, toDir, name, isDir)) return MoveOutcome::Failed;
    if (isDir) {
        ClearResolverCache(); // the listings below the folder are filed under its old path
    } else {
        left.Removed();
        arrived.Added();
    }
    return MoveOutcome::Moved;
}
