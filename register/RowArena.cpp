#include "register/RowArena.h"

#include "platform/memory/MappedPages.h"

#include <algorithm>
#include <cstdint>
#include <new>

struct RowArena::Block {
    size_t rows = 0;
    size_t bytes = 0; // the whole mapping, this header included
};

namespace {
// Two huge pages: the kernel backs each aligned 2 MiB of it with one page where it can.
constexpr size_t kBlockSize = size_t(4) << 20;
constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kHeader = (sizeof(RowArena::Block) + 15) & ~size_t(15);
} // namespace

RowArena::~RowArena() {
    if (current_) Release(current_);
}

RowArena::Block* RowArena::NewBlock(size_t size) {
    const size_t bytes = kHeader + size;
    const size_t length = (bytes + kAlignment - 1) & ~(kAlignment - 1);
    // Mapped from a huge page's boundary: the kernel puts huge pages only where a whole one
    // fits, so a block that began between two would take small pages (a fault each) for
    // much of its first and last 2 MiB.
    char* const begin = static_cast<char*>(MapPages(length, length < kHugePage ? 0 : kHugePage));
    if (!begin) throw std::bad_alloc();
    HintHugePages(begin, length); // without it, small pages
    return new (begin) Block{1, bytes};
}

void RowArena::AdviseHugePages(void* data, size_t bytes) {
    const uintptr_t from = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t to = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHugePage - 1);
    if (to > from) HintHugePages(reinterpret_cast<void*>(from), to - from);
}

char* RowArena::Data(Block* block) {
    return reinterpret_cast<char*>(block) + kHeader;
}

char* RowArena::Allocate(size_t size, Block*& block) {
    if (size > kBlockSize - kHeader) return nullptr;
    if (!current_ || used_ + size > current_->bytes) {
        if (current_) Release(current_);
        // From a small block up, doubling: an arena that holds a few rows (a register's
        // header) takes a few pages, not a huge one.
        while (blockSize_ < kBlockSize && blockSize_ < kHeader + size)
            blockSize_ *= 2;
        current_ = NewBlock(blockSize_ - kHeader);
        blockSize_ = std::min(blockSize_ * 2, kBlockSize);
        used_ = kHeader;
    }
    char* at = reinterpret_cast<char*>(current_) + used_;
    used_ += size;
    ++current_->rows;
    block = current_;
    return at;
}

void RowArena::Retain(Block* block) {
    ++block->rows;
}

void RowArena::Release(Block* block) {
    if (--block->rows == 0) UnmapPages(block, block->bytes);
}
