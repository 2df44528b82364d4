#include "fileops/SystemMoveFile.h"

#include "platform/GbText.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder opened only to name it in the *at calls: the move is made relative to the folder
// itself, whatever later happens to the text of its path.
class FolderHandle {
public:
    explicit FolderHandle(const std::string& path)
        : fd_(open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {}
    ~FolderHandle() {
        if (fd_ >= 0) close(fd_);
    }
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

// For file systems without RENAME_NOREPLACE: claim the target name exclusively with an
// empty reservation of the same kind, then rename over the reservation, which replaces
// nothing but our own entry. A failed rename removes the reservation again.
bool MoveOverReservation(int fromDir, const char* from, int toDir, const char* to, bool isDir) {
    if (isDir) {
        if (mkdirat(toDir, to, 0700) != 0) return false;
    } else {
        int fd = openat(toDir, to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        close(fd);
    }
    if (renameat(fromDir, from, toDir, to) == 0) return true;
    unlinkat(toDir, to, isDir ? AT_REMOVEDIR : 0);
    return false;
}

} // namespace

MoveOutcome SystemMoveFile(const DiskEntry& from, const RealPath& folder, std::string_view gbName) {
    const RealPath sourceFolder = from.real.Folder();
    const std::string leaf = from.real.Name();
    const FolderHandle fromDir(sourceFolder.Bytes());
    struct stat st;
    if (fromDir.Fd() < 0 || fstatat(fromDir.Fd(), leaf.c_str(), &st, 0) != 0 ||
        st.st_dev != from.dev || st.st_ino != from.ino)
        return MoveOutcome::Changed;
    // A name on disk of the same register form counts as taken, as on a case-insensitive
    // file system.
    if (!FindOnDisk(folder, RegisterPath(gbName)).empty()) return MoveOutcome::Failed;
    const FolderHandle toDir(folder.Bytes());
    if (toDir.Fd() < 0) return MoveOutcome::Failed;
    const std::string name = GbToUtf8(gbName);
    const bool isDir = S_ISDIR(st.st_mode);
    FolderEntryChange left{from.real}, arrived{folder.Child(name)};
    bool moved =
        renameat2(fromDir.Fd(), leaf.c_str(), toDir.Fd(), name.c_str(), RENAME_NOREPLACE) == 0;
    if (!moved && (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP))
        moved = MoveOverReservation(fromDir.Fd(), leaf.c_str(), toDir.Fd(), name.c_str(), isDir);
    if (!moved) return MoveOutcome::Failed;
    if (isDir) {
        ClearResolverCache(); // the listings below the folder are filed under its old path
    } else {
        left.Removed();
        arrived.Added();
    }
    return MoveOutcome::Moved;
}
