#include "register/PackedRow.h"

#include <cstring>
#include <string>
#include <utility>

size_t PackedRow::TextBytes(const std::array<std::string_view, kCells>& cells) {
    size_t total = 0;
    for (auto c : cells)
        total += c.size();
    return total;
}

void PackedRow::Fill(const std::array<std::string_view, kCells>& cells, size_t room) {
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

PackedRow::PackedRow(const std::array<std::string_view, kCells>& cells) {
    if (size_t bytes = TextBytes(cells)) {
        data_ = new char[kHeader + Room(bytes)];
        Fill(cells, Room(bytes));
    }
}

PackedRow::PackedRow(const std::array<std::string_view, kCells>& cells, RowArena& arena) {
    size_t bytes = TextBytes(cells);
    if (bytes == 0) return;
    data_ = arena.Allocate(kHeader + Room(bytes), block_);
    if (!data_) data_ = new char[kHeader + Room(bytes)];
    Fill(cells, Room(bytes));
}

void PackedRow::Free() {
    if (block_)
        RowArena::Release(block_);
    else
        delete[] data_;
    data_ = nullptr;
    block_ = nullptr;
}

PackedRow::~PackedRow() {
    Free();
}

PackedRow::PackedRow(PackedRow&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), block_(std::exchange(other.block_, nullptr)) {}

PackedRow& PackedRow::operator=(PackedRow&& other) noexcept {
    if (this != &other) {
        Free();
        data_ = std::exchange(other.data_, nullptr);
        block_ = std::exchange(other.block_, nullptr);
    }
    return *this;
}

std::string_view PackedRow::Cell(int col) const {
    if (!data_ || col < 0 || col >= kCells) return {};
    Offset ends[kCells];
    std::memcpy(ends, data_, sizeof ends);
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
    if (data_) {
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
    cells[col] = text;
    *this = PackedRow(cells); // the views point into the old memory, which lives until here
}
