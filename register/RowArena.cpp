#include "register/RowArena.h"

#include <new>
#include <sys/mman.h>

struct RowArena::Block {
    size_t rows = 0;
    size_t bytes = 0; // the whole mapping, this header included
};

namespace {
// Two huge pages: the kernel backs each aligned 2 MiB of it with one page where it can.
constexpr size_t kBlockSize = size_t(4) << 20;
constexpr size_t kHeader = (sizeof(RowArena::Block) + 15) & ~size_t(15);
} // namespace

RowArena::~RowArena() {
    if (current_) Release(current_);
}

RowArena::Block* RowArena::NewBlock(size_t size) {
    const size_t bytes = kHeader + size;
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
    madvise(memory, bytes, MADV_HUGEPAGE); // a hint: without it, small pages
    return new (memory) Block{1, bytes};
}

char* RowArena::Data(Block* block) {
    return reinterpret_cast<char*>(block) + kHeader;
}

char* RowArena::Allocate(size_t size, Block*& block) {
    if (size > kBlockSize - kHeader) return nullptr;
    if (!current_ || used_ + size > kBlockSize) {
        if (current_) Release(current_);
        current_ = NewBlock(kBlockSize - kHeader);
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
    if (--block->rows == 0) munmap(block, block->bytes);
}
