// Large blocks that the rows of one load are packed into, one after the other, instead of one
// heap allocation per row: a million rows cost a few dozen mappings instead of a million
// malloc calls and their first-touch page faults one page at a time. A block counts the
// rows in it and goes when the last of them goes (a row that is rebuilt at another size
// moves to an allocation of its own), so rows may outlive the arena and move between
// registers. A block and its count are used by one thread at a time, like the rows themselves.
#pragma once

#include <cstddef>

class RowArena {
public:
    struct Block;
    // Blocks begin at a multiple of this (a page), so rows may tag the low bits.
    static constexpr size_t kAlignment = 4096;

    RowArena() = default;
    ~RowArena();
    RowArena(const RowArena&) = delete;
    RowArena& operator=(const RowArena&) = delete;

    // Room for `size` bytes in the current block (a new one when it is full); the block then
    // counts one more row. Null for a size that no block holds.
    char* Allocate(size_t size, Block*& block);

    // A block of its own with room for `size` bytes (a whole file's text whose lines become
    // rows in place), counted once for its maker.
    static Block* NewBlock(size_t size);
    static char* Data(Block* block);
    // Asks for huge pages for the whole ones within memory that is filled once and kept (a
    // load's vector of rows): a fault each 2 MiB instead of each 4 KiB.
    static void AdviseHugePages(void* data, size_t bytes);
    // One more row lives in the block.
    static void Retain(Block* block);
    // One row of the block is gone; the last one releases it.
    static void Release(Block* block);

private:
    Block* current_ = nullptr; // counted as a row while being filled
    size_t used_ = 0;
    size_t blockSize_ = size_t(64) << 10; // of the next block
};
