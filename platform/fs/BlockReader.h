// Reads a file at offsets that mostly grow (a walk from record to record), one large block at
// a time, so that many small reads cost one call. A file on a share may not answer: use it off
// the UI thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TBlockReader {
public:
    explicit TBlockReader(const std::string& realPath);
    ~TBlockReader();
    TBlockReader(const TBlockReader&) = delete;
    TBlockReader& operator=(const TBlockReader&) = delete;

    bool Opened() const { return fd_ >= 0; }
    // Whether a read failed (rather than met the end of the file).
    bool Failed() const { return failed_; }
    // The `n` bytes at `offset` (n at most a block), valid until the next call; nullptr where
    // the file ends before them or cannot be read.
    const unsigned char* At(int64_t offset, size_t n);

private:
    int fd_;
    std::vector<unsigned char> block_;
    int64_t base_ = 0; // the file offset of block_[0]
    size_t size_ = 0;  // bytes of the block read
    bool failed_ = false;
};
