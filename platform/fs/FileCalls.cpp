#include "platform/fs/FileCalls.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

FileStatus StatusFrom(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_mode, uint64_t(st.st_size),
            int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

} // namespace

std::optional<FileStatus> StatusOf(const RealPath& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return std::nullopt;
    return StatusFrom(st);
}

std::optional<FileStatus> StatusOfOpen(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0) return std::nullopt;
    return StatusFrom(st);
}

bool IsFileMode(mode_t mode) {
    return S_ISREG(mode);
}

bool IsFolderMode(mode_t mode) {
    return S_ISDIR(mode);
}

bool RemoveFile(const RealPath& path) {
    return unlink(path.c_str()) == 0;
}

uint64_t FreeBytesAt(const RealPath& path) {
    struct statvfs vfs;
    if (statvfs(path.c_str(), &vfs) != 0) return 0;
    return uint64_t(vfs.f_bavail) * uint64_t(vfs.f_frsize);
}

bool CloseFile(int fd) {
    return close(fd) == 0;
}
