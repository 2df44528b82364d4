// One register row: its twelve cell texts packed in one piece of memory (the cells' end
// offsets and the room for text, then the texts, with up to 7 bytes to spare), an
// allocation of its own or a place in a RowArena block.
// A blank row holds no memory at all, and moving or swapping rows moves two pointers.
#pragma once

#include "register/RowArena.h"

#include <array>
#include <cstdint>
#include <string_view>

class PackedRow {
public:
    static constexpr int kCells = 12;

    PackedRow() = default;
    explicit PackedRow(const std::array<std::string_view, kCells>& cells);
    // Packed into the arena's current block.
    PackedRow(const std::array<std::string_view, kCells>& cells, RowArena& arena);
    ~PackedRow();
    PackedRow(PackedRow&& other) noexcept;
    PackedRow& operator=(PackedRow&& other) noexcept;
    PackedRow(const PackedRow&) = delete;
    PackedRow& operator=(const PackedRow&) = delete;

    std::string_view Cell(int col) const;
    // Written in place while the texts fit the row's room (renumbering rarely needs more);
    // otherwise the row is rebuilt in an allocation of its own.
    void SetCell(int col, std::string_view text);
    bool Blank() const { return !data_; }
    std::array<std::string_view, kCells> Cells() const;

private:
    using Offset = uint32_t;
    // The end offsets of the cells, then the room for text.
    static constexpr size_t kHeader = (kCells + 1) * sizeof(Offset);
    static size_t TextBytes(const std::array<std::string_view, kCells>& cells);
    static size_t Room(size_t textBytes) { return (textBytes + 7) & ~size_t(7); }
    void Fill(const std::array<std::string_view, kCells>& cells, size_t room);
    const char* Text() const { return data_ + kHeader; }
    void Free();

    char* data_ = nullptr;
    RowArena::Block* block_ = nullptr; // the arena block that holds data_, or null if owned
};
