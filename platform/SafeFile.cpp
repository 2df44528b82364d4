#include "platform/SafeFile.h"

#include "platform/FileErrors.h"
#include "platform/Paths.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr size_t kBufferSize = 1 << 20;

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

// The file that a save replaces: a symbolic link is followed to its target (also one that
// does not exist yet), so that the link stays and the file it names gets the new content.
std::string FinalTarget(std::string path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string link(size_t(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
        ssize_t n = readlink(path.c_str(), link.data(), link.size());
        if (n <= 0) return path;
        link.resize(size_t(n));
        if (link.front() != '/') link.insert(0, path.substr(0, path.rfind('/') + 1));
        path = std::move(link);
    }
    return path;
}
} // namespace

SafeFileWriter::SafeFileWriter(std::string_view gbPath)
    : target_(FinalTarget(ResolvePath(gbPath))) {
    // A file that may not be written is not replaced either, though its folder would allow
    // it; one without any write permission counts as read-only even for root.
    struct stat existing;
    if (stat(target_.c_str(), &existing) == 0 && (existing.st_mode & 0222) == 0)
        ThrowCreateError(gbPath, EACCES);
    if (faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
        ThrowCreateError(gbPath, errno);
    temp_ = target_ + ".tmpXXXXXX";
    fd_ = mkstemp(temp_.data());
    if (fd_ < 0) ThrowCreateError(gbPath, errno);
    struct stat st;
    mode_t mode = 0666;
    if (stat(target_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    fchmod(fd_, mode);
}

SafeFileWriter::~SafeFileWriter() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temp_.c_str());
    }
}

void SafeFileWriter::Flush() {
    if (!WriteAll(fd_, buffer_.data(), buffer_.size())) ThrowWriteError();
    buffer_.clear();
}

void SafeFileWriter::Write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kBufferSize) {
        Flush();
        if (bytes.size() >= kBufferSize) {
            if (!WriteAll(fd_, bytes.data(), bytes.size())) ThrowWriteError();
            return;
        }
    }
    buffer_.append(bytes);
}

void SafeFileWriter::Commit() {
    Flush();
    if (::fsync(fd_) != 0) ThrowWriteError();
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || std::rename(temp_.c_str(), target_.c_str()) != 0) {
        ::unlink(temp_.c_str());
        ThrowWriteError();
    }
    ClearResolverCache();
}

void SafeWriteFile(std::string_view gbPath, std::string_view content) {
    SafeFileWriter writer(gbPath);
    writer.Write(content);
    writer.Commit();
}
