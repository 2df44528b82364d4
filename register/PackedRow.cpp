#include "register/PackedRow.h"

#include <cstring>
#include <string>
#include <utility>

size_t PackedRow::TextBytes(const CellTexts& cells) {
    size_t total = 0;
    for (auto c : cells)
        total += c.size();
    return total;
}

void PackedRow::Fill(const CellTexts& cells, size_t room) {
    Offset header[kCells + 1];
    char* text = data_ + kHeader;
    size_t at = 0;
    for (int i = 0; i < kCells; ++i) {
        // An empty view may hold a null pointer, which memcpy must not get even for 0 bytes.
        if (!cells[i].empty()) std::memcpy(text + at, cells[i].data(), cells[i].size());
        at += cells[i].size();
        header[i] = Offset(at);
    }
    header[kCells] = Offset(room);
    std::memcpy(data_, header, sizeof header);
}

PackedRow::PackedRow(const CellTexts& cells) {
    if (size_t bytes = TextBytes(cells)) {
        data_ = new char[kHeader + Room(bytes)];
        Fill(cells, Room(bytes));
    }
}

PackedRow::PackedRow(const CellTexts& cells, RowArena& arena) {
    size_t bytes = TextBytes(cells);
    if (bytes == 0) return;
    RowArena::Block* block = nullptr;
    data_ = arena.Allocate(kHeader + Room(bytes), block);
    block_ = reinterpret_cast<uintptr_t>(block);
    if (!data_) data_ = new char[kHeader + Room(bytes)];
    Fill(cells, Room(bytes));
}

bool PackedRow::FitsInLine(const CellTexts& cells) {
    return TextBytes(cells) <= UINT16_MAX;
}

PackedRow PackedRow::InLine(char* line, const CellTexts& cells, RowArena::Block* block,
                            std::string& scratch) {
    PackedRow row;
    const size_t total = TextBytes(cells);
    if (total == 0) return row; // a row of empty cells is blank
    // The texts are gathered in scratch, 16 bytes at a time (the bytes after each cell are
    // readable and overwritten by the next), then put back behind the offsets.
    if (scratch.size() < total + kCopyStep) scratch.resize(total + kCopyStep);
    LineOffset ends[kCells];
    size_t at = 0;
    for (int i = 0; i < kCells; ++i) {
        const char* from = cells[size_t(i)].data();
        for (size_t k = 0; k < cells[size_t(i)].size(); k += kCopyStep)
            std::memcpy(scratch.data() + at + k, from + k, kCopyStep);
        at += cells[size_t(i)].size();
        ends[i] = LineOffset(at);
    }
    std::memcpy(line, ends, sizeof ends);
    std::memcpy(line + kLineHeader, scratch.data(), total);
    RowArena::Retain(block);
    row.data_ = line;
    row.block_ = reinterpret_cast<uintptr_t>(block) | kInLine;
    return row;
}

void PackedRow::Free() {
    if (block_)
        RowArena::Release(reinterpret_cast<RowArena::Block*>(block_ & ~kInLine));
    else
        delete[] data_;
    data_ = nullptr;
    block_ = 0;
}

PackedRow::~PackedRow() {
    Free();
}

PackedRow::PackedRow(PackedRow&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), block_(std::exchange(other.block_, 0)) {}

PackedRow& PackedRow::operator=(PackedRow&& other) noexcept {
    if (this != &other) {
        Free();
        data_ = std::exchange(other.data_, nullptr);
        block_ = std::exchange(other.block_, 0);
    }
    return *this;
}

std::string_view PackedRow::Cell(int col) const {
    if (!data_ || col < 0 || col >= kCells) return {};
    if (InLineRow()) {
        LineOffset begin = 0, end;
        if (col > 0) std::memcpy(&begin, data_ + (col - 1) * sizeof begin, sizeof begin);
        std::memcpy(&end, data_ + col * sizeof end, sizeof end);
        return std::string_view(data_ + kLineHeader + begin, size_t(end - begin));
    }
    Offset begin = 0, end;
    if (col > 0) std::memcpy(&begin, data_ + (col - 1) * sizeof begin, sizeof begin);
    std::memcpy(&end, data_ + col * sizeof end, sizeof end);
    return std::string_view(data_ + kHeader + begin, end - begin);
}

PackedRow::CellTexts PackedRow::Cells() const {
    CellTexts cells{};
    for (int i = 0; i < kCells; ++i)
        cells[size_t(i)] = Cell(i);
    return cells;
}

void PackedRow::SetCell(int col, std::string_view text) {
    if (col < 0 || col >= kCells) return;
    if (InLineRow()) {
        // The line's room is not known, but a text of the same length fits (renumbering).
        const std::string_view old = Cell(col);
        if (text.size() == old.size()) {
            if (!text.empty()) std::memmove(data_ + (old.data() - data_), text.data(), text.size());
            return;
        }
    } else if (data_) {
        Offset header[kCells + 1];
        std::memcpy(header, data_, sizeof header);
        const size_t begin = col == 0 ? 0 : header[col - 1], end = header[col];
        const size_t total = header[kCells - 1], room = header[kCells];
        const size_t newTotal = total - (end - begin) + text.size();
        if (newTotal == 0) {
            Free(); // a row of empty cells is blank
            return;
        }
        if (newTotal <= room) {
            char* texts = data_ + kHeader;
            std::string own; // the text may be a piece of this row, which is about to move
            if (text.data() >= texts && text.data() < texts + room) {
                own.assign(text);
                text = own;
            }
            std::memmove(texts + begin + text.size(), texts + end, total - end);
            if (!text.empty()) std::memcpy(texts + begin, text.data(), text.size());
            for (int i = col; i < kCells; ++i)
                header[i] = Offset(header[i] - (end - begin) + text.size());
            std::memcpy(data_, header, kCells * sizeof(Offset));
            return;
        }
    } else if (text.empty()) {
        return;
    }
    auto cells = Cells();
    cells[size_t(col)] = text;
    *this = PackedRow(cells); // the views point into the old memory, which lives until here
}
