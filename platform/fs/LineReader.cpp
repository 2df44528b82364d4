#include "platform/fs/LineReader.h"

#include "platform/fs/FileErrors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr size_t kBlock = 1 << 20;
constexpr size_t kMinBlock = 4096;
} // namespace

int OpenRegularFile(const RealPath& path, std::string_view gbShown) {
    // Only a regular file is opened: a pipe would wait for a writer for good, a device is
    // not ours to read. O_NONBLOCK keeps a pipe put there meanwhile from blocking the open.
    if (KindOf(path) == EntryKind::Other) ThrowReadError();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        ThrowOpenError(gbShown.empty() ? path.Gb() : std::string(gbShown), err);
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        ThrowReadError();
    }
    // A regular file: its callers read it as an ordinary blocking descriptor.
    if (int flags = fcntl(fd, F_GETFL); flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

LineReader::LineReader(const RealPath& path, Ends ends) : ends_(ends), block_(kBlock) {
    fd_ = OpenRegularFile(path);
    // Small files (the settings file is read on every keystroke) get a small buffer.
    struct stat st;
    if (fstat(fd_, &st) == 0 && size_t(st.st_size) < kBlock)
        block_ = std::max(size_t(st.st_size) + 1, kMinBlock);
}

LineReader::~LineReader() {
    if (fd_ >= 0) ::close(fd_);
}

bool LineReader::Fill() {
    if (eof_) return false;
    buf_.erase(0, pos_);
    pos_ = 0;
    size_t old = buf_.size();
    buf_.resize(old + block_);
    ssize_t n;
    do {
        n = ::read(fd_, buf_.data() + old, block_);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        buf_.resize(old);
        ThrowReadError();
    }
    buf_.resize(old + size_t(n));
    if (n == 0) eof_ = true;
    return n > 0;
}

bool LineReader::Next(std::string_view& line) {
    for (;;) {
        const char* base = buf_.data() + pos_;
        size_t avail = buf_.size() - pos_;
        if (pendingCr_ && avail > 0) {
            pendingCr_ = false;
            if (*base == '\n') {
                ++pos_;
                continue;
            }
        }
        const void* hit = nullptr;
        if (ends_ == Ends::Lf) {
            hit = std::memchr(base, '\n', avail);
        } else {
            for (size_t i = 0; i < avail; ++i)
                if (base[i] == '\n' || base[i] == '\r') {
                    hit = base + i;
                    break;
                }
        }
        if (hit) {
            size_t len = static_cast<const char*>(hit) - base;
            char endChar = base[len];
            pos_ += len + 1;
            if (ends_ == Ends::Lf && len > 0 && base[len - 1] == '\r') --len;
            if (endChar == '\r') pendingCr_ = true;
            line = std::string_view(base, len);
            return true;
        }
        if (!Fill()) {
            if (pos_ >= buf_.size()) return false;
            line_.assign(buf_.data() + pos_, buf_.size() - pos_);
            pos_ = buf_.size();
            if (ends_ == Ends::Lf && !line_.empty() && line_.back() == '\r') line_.pop_back();
            line = line_;
            return true;
        }
    }
}

size_t ReadFully(int fd, char* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::read(fd, buffer + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ThrowReadError();
        if (n == 0) break;
        done += size_t(n);
    }
    return done;
}

std::string ReadWholeFile(const RealPath& path) {
    int fd = OpenRegularFile(path);
    std::string out;
    char block[65536];
    for (;;) {
        ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            ThrowReadError();
        }
        if (n == 0) break;
        out.append(block, size_t(n));
    }
    ::close(fd);
    return out;
}
