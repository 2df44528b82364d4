#include "fileops/SystemMoveFile.h"

#include "platform/Paths.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// For file systems without RENAME_NOREPLACE: claim the target name exclusively with an
// empty reservation of the same kind, then rename over the reservation, which replaces
// nothing but our own entry. A failed rename removes the reservation again.
bool MoveOverReservation(const std::string& from, const std::string& to, bool isDir) {
    if (isDir) {
        if (mkdir(to.c_str(), 0700) != 0) return false;
    } else {
        int fd = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        close(fd);
    }
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    isDir ? rmdir(to.c_str()) : unlink(to.c_str());
    return false;
}

} // namespace

bool SystemMoveFile(std::string_view from, std::string_view to) {
    std::string source = WithoutTrailingSeparators(ResolvePath(RegisterPath(from)).Bytes());
    // The resolver hands back an existing case variant of the target, so a target that
    // exists in another letter case is refused below like an exact one.
    std::string target = WithoutTrailingSeparators(ResolvePath(RegisterPath(to)).Bytes());
    struct stat st;
    if (lstat(source.c_str(), &st) != 0) return false;
    const bool isDir = S_ISDIR(st.st_mode);
    FolderEntryChange left{RealPath(source)}, arrived{RealPath(target)};
    bool moved =
        renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0;
    if (!moved && (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP))
        moved = MoveOverReservation(source, target, isDir);
    if (!moved) return false;
    if (isDir) {
        ClearResolverCache(); // the listings below the folder are filed under its old path
    } else {
        left.Removed();
        arrived.Added();
    }
    return true;
}
