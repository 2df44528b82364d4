#include "platform/fs/FileCalls.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

FileStatus StatusFromStat(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_mode, uint64_t(st.st_size),
            int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

std::optional<FileStatus> StatusOf(const RealPath& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return std::nullopt;
    return StatusFromStat(st);
}

std::optional<FileStatus> LinkStatusOf(const RealPath& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return std::nullopt;
    return StatusFromStat(st);
}

std::optional<FileStatus> StatusOfOpen(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0) return std::nullopt;
    return StatusFromStat(st);
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

bool RenameEntry(const RealPath& from, const RealPath& to) {
    return rename(from.c_str(), to.c_str()) == 0;
}

int CreateEmptyFile(const RealPath& path) {
    return open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

ptrdiff_t ReadSome(int fd, char* buffer, size_t size) {
    return read(fd, buffer, size);
}

ptrdiff_t WriteSome(int fd, const char* bytes, size_t size) {
    return write(fd, bytes, size);
}

ptrdiff_t CopyInKernel(int from, int to, size_t size) {
    return copy_file_range(from, nullptr, to, nullptr, size, 0);
}

bool FlushToDisk(int fd) {
    return fsync(fd) == 0;
}

bool CloseFile(int fd) {
    return close(fd) == 0;
}

bool MayCreateIn(const RealPath& folder) {
    return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}
