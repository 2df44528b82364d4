#include "register/PackedRow.h"

#include <cstring>

PackedRow::PackedRow(const std::array<std::string_view, kCells>& cells) {
    size_t total = 0;
    for (auto c : cells)
        total += c.size();
    if (total == 0) return;
    data_ = std::make_unique_for_overwrite<char[]>(kCells * sizeof(Offset) + total);
    Offset ends[kCells];
    char* text = data_.get() + kCells * sizeof(Offset);
    size_t at = 0;
    for (int i = 0; i < kCells; ++i) {
        // An empty view may hold a null pointer, which memcpy must not get even for 0 bytes.
        if (!cells[i].empty()) std::memcpy(text + at, cells[i].data(), cells[i].size());
        at += cells[i].size();
        ends[i] = Offset(at);
    }
    std::memcpy(data_.get(), ends, sizeof ends);
}

std::string_view PackedRow::Cell(int col) const {
    if (!data_ || col < 0 || col >= kCells) return {};
    Offset ends[kCells];
    std::memcpy(ends, data_.get(), sizeof ends);
    Offset begin = col == 0 ? 0 : ends[col - 1];
    return std::string_view(Text() + begin, ends[col] - begin);
}

std::array<std::string_view, PackedRow::kCells> PackedRow::Cells() const {
    std::array<std::string_view, kCells> cells{};
    for (int i = 0; i < kCells; ++i)
        cells[i] = Cell(i);
    return cells;
}

void PackedRow::SetCell(int col, std::string_view text) {
    if (col < 0 || col >= kCells) return;
    auto cells = Cells();
    cells[col] = text;
    *this = PackedRow(cells); // the views point into the old buffer, which lives until here
}
