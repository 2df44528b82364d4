#include "platform/fs/BlockReader.h"

#include "platform/fs/FileErrors.h"
#include "platform/fs/LineReader.h"

#include <cerrno>
#include <unistd.h>

namespace {
// Only a regular file: a pipe put under the name would hold the reader for good.
int OpenOrNone(const std::string& realPath) {
    try {
        return OpenRegularFile(RealPath(realPath));
    } catch (const EFileError&) {
        return -1;
    }
}
} // namespace

TBlockReader::TBlockReader(const std::string& realPath)
    : fd_(OpenOrNone(realPath)), block_(size_t(1) << 16) {}

TBlockReader::~TBlockReader() {
    if (fd_ >= 0) ::close(fd_);
}

const unsigned char* TBlockReader::At(int64_t offset, size_t n) {
    if (fd_ < 0 || n > block_.size() || offset < 0) return nullptr;
    if (offset < base_ || offset + int64_t(n) > base_ + int64_t(size_)) {
        base_ = offset;
        size_ = 0;
        while (size_ < n) {
            const ssize_t got =
                ::pread(fd_, block_.data() + size_, block_.size() - size_, base_ + int64_t(size_));
            if (got < 0 && errno == EINTR) continue;
            failed_ = failed_ || got < 0;
            if (got <= 0) return nullptr;
            size_ += size_t(got);
        }
    }
    return block_.data() + (offset - base_);
}
