#include "platform/fs/FolderHandle.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

FolderHandle::FolderHandle(const RealPath& folder)
    : fd_(open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {}

FolderHandle::~FolderHandle() {
    if (fd_ >= 0) close(fd_);
}

std::optional<FileStatus> FolderHandle::StatusOf(const std::string& name) const {
    struct stat st;
    if (fstatat(fd_, name.c_str(), &st, 0) != 0) return std::nullopt;
    return StatusFromStat(st);
}

bool FolderHandle::MoveWithoutReplacing(const std::string& name, const FolderHandle& to,
                                        const std::string& toName, bool isFolder) const {
    if (renameat2(fd_, name.c_str(), to.fd_, toName.c_str(), RENAME_NOREPLACE) == 0) return true;
    return (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) &&
           MoveOverReservation(fd_, name.c_str(), to.fd_, toName.c_str(), isFolder);
}
