// One register row: its twelve cell texts packed in one piece of memory (the cells' end
// offsets and the room for text, then the texts, with up to 7 bytes to spare), an
// allocation of its own or a place in a RowArena block. A row read from a database file can
// stay in the file's text instead: its line is rewritten in place as the cells' end offsets
// (16 bits each, in the room of the line's twelve separators) followed by the texts, and the
// row counts on the block that holds the text. Its line end is its room to grow: a change
// that fits the texts and the line end (a row number one or two digits longer after a sort)
// is written in place, a bigger one moves the row to an allocation of its own.
// A row whose only text is its number (a blank line of a database, renumbered) is that text
// alone in a RowArena block. A blank row holds no memory at all, and moving or swapping rows
// moves two pointers. A row's block is counted by the thread that holds the row: rows of one
// arena are made and dropped on one thread at a time.
#pragma once

#include "register/RowArena.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class PackedRow {
public:
    static constexpr int kCells = 12;
    using CellTexts = std::array<std::string_view, kCells>;

    PackedRow() = default;
    explicit PackedRow(const CellTexts& cells);
    // Packed into the arena's current block.
    PackedRow(const CellTexts& cells, RowArena& arena);
    ~PackedRow();
    PackedRow(PackedRow&& other) noexcept;
    PackedRow& operator=(PackedRow&& other) noexcept;
    PackedRow(const PackedRow&) = delete;
    PackedRow& operator=(const PackedRow&) = delete;

    // Whether InLine can keep a line whose cells hold `textBytes` bytes in all.
    static bool FitsInLine(size_t textBytes) { return textBytes <= UINT16_MAX; }
    // Bytes past a cell that InLine and PutLine may read or write.
    static constexpr size_t kCopyStep = 32;
    // The row that stays in its line: `line` (inside `block`) holds the cells, cell i ending
    // where its separator `separators[i]` begins, `textBytes` bytes in all; each separator
    // is followed by at least kCopyStep readable bytes, and the line by `lineEnd` bytes that
    // no other row uses. The line is rewritten in place. `scratch` is working memory that
    // callers keep from row to row.
    static PackedRow InLine(char* line, const char* const* separators, size_t textBytes,
                            size_t lineEnd, RowArena::Block* block, std::string& scratch);

    // What follows each cell in a database line.
    static constexpr std::string_view kSeparator = "^^";
    // The row's database line without its line end: every cell followed by kSeparator.
    size_t LineBytes() const;
    // Writes that line at `out`, which has kCopyStep bytes to spare past it; gives its end.
    char* PutLine(char* out) const;

    std::string_view Cell(int col) const;
    // Written in place while the texts fit the row's room (renumbering rarely needs more);
    // otherwise the row is rebuilt in an allocation of its own, or, when its number is then
    // its only text and `arena` is given, in the arena. Views of the row's cells taken before
    // see the new texts or, once the row has moved, memory that is gone.
    void SetCell(int col, std::string_view text, RowArena* arena = nullptr);
    bool Blank() const { return !data_; }
    CellTexts Cells() const;

private:
    using Offset = uint32_t;
    using LineOffset = uint16_t;
    // The end offsets of the cells, then the room for text.
    static constexpr size_t kHeader = (kCells + 1) * sizeof(Offset);
    static constexpr size_t kLineHeader = kCells * sizeof(LineOffset);
    // Tags in the low bits of block_, which blocks leave clear (RowArena::kAlignment): kInLine,
    // and for a row in its line the bytes past its texts that are its own; without kInLine,
    // a number row's length (never 0), while other rows leave them clear.
    static constexpr uintptr_t kInLine = 1;
    static constexpr unsigned kSpareShift = 1;
    static constexpr uintptr_t kTags = RowArena::kAlignment - 1;
    static constexpr size_t kMaxSpare = kTags >> kSpareShift;
    static size_t TextBytes(const CellTexts& cells);
    static size_t Room(size_t textBytes) { return (textBytes + 7) & ~size_t(7); }
    void Fill(const CellTexts& cells, size_t room);
    bool InLineRow() const { return block_ & kInLine; }
    bool NumberRow() const { return !InLineRow() && (block_ & kTags); }
    static bool NumberOnly(const CellTexts& cells);
    static PackedRow Number(std::string_view text, RowArena& arena);
    // A row in its line: its spare room; a number row: its length.
    size_t TagValue() const { return (block_ & kTags) >> kSpareShift; }
    void Free();

    char* data_ = nullptr;
    // The RowArena block that holds data_ (with the tags), or 0 if the row is owned.
    uintptr_t block_ = 0;
};
