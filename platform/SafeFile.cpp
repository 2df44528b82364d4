#include "platform/SafeFile.h"

#include "platform/FileErrors.h"
#include "platform/Paths.h"

#include <cerrno>
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
} // namespace

SafeFileWriter::SafeFileWriter(std::string_view gbPath) : target_(ResolvePath(gbPath)) {
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
