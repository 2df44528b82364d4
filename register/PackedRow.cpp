#include "register/PackedRow.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace {

// Puts `text` in cell `col` of the texts at `texts` whose cells end at `ends`, moving the
// cells after it, if the texts then fit `room` bytes; false leaves everything as it was.
template <typename Offset>
bool ReplaceInRoom(Offset* ends, char* texts, size_t room, int col, std::string_view text) {
    const size_t begin = col == 0 ? 0 : ends[col - 1], end = ends[col];
    const size_t total = ends[PackedRow::kCells - 1];
    if (total - (end - begin) + text.size() > room) return false;
    std::string own; // the text may be a piece of this row, which is about to move
    if (text.data() >= texts && text.data() < texts + room) {
        own.assign(text);
        text = own;
    }
    if (text.size() != end - begin) // renumbering mostly keeps the length
        std::memmove(texts + begin + text.size(), texts + end, total - end);
    if (!text.empty()) std::memcpy(texts + begin, text.data(), text.size());
    for (int i = col; i < PackedRow::kCells; ++i)
        ends[i] = Offset(ends[i] - (end - begin) + text.size());
    return true;
}

// Copies `size` bytes kCopyStep at a time, at least once: both sides have kCopyStep bytes to
// spare past them. Most cells take one step, so the loop rarely turns.
void CopySteps(char* to, const char* from, size_t size) {
    size_t k = 0;
    do {
        std::memcpy(to + k, from + k, PackedRow::kCopyStep);
        k += PackedRow::kCopyStep;
    } while (k < size);
}

// Writes the cells at `texts` that end at `ends`, each followed by the separator. Cells of
// a row in its line are copied kCopyStep bytes at a time: its text is followed by readable
// bytes (InLine), and each copy's surplus is overwritten by the next.
template <bool kInLineText, typename Offset>
char* PutCells(char* out, const char* texts, const Offset* ends) {
    size_t begin = 0;
    for (int i = 0; i < PackedRow::kCells; ++i) {
        const size_t end = ends[i];
        if constexpr (kInLineText) {
            CopySteps(out, texts + begin, end - begin);
        } else if (end > begin) {
            std::memcpy(out, texts + begin, end - begin);
        }
        out += end - begin;
        std::memcpy(out, PackedRow::kSeparator.data(), 2);
        out += 2;
        begin = end;
    }
    return out;
}

} // namespace

static_assert(PackedRow::kSeparator.size() == 2); // the room of a 16-bit offset

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

PackedRow PackedRow::InLine(char* line, const char* const* separators, size_t textBytes,
                            size_t lineEnd, RowArena::Block* block, std::string& scratch) {
    PackedRow row;
    if (textBytes == 0) return row; // a row of empty cells is blank
    // The texts are gathered in scratch (the bytes after each cell are readable, and what
    // a step copies past a cell the next cell overwrites), then put back behind the offsets.
    if (scratch.size() < textBytes + kCopyStep) scratch.resize(textBytes + kCopyStep);
    LineOffset ends[kCells];
    const char* cell = line;
    size_t at = 0;
    for (int i = 0; i < kCells; ++i) {
        const size_t size = size_t(separators[i] - cell);
        CopySteps(scratch.data() + at, cell, size);
        at += size;
        ends[i] = LineOffset(at);
        cell = separators[i] + kSeparator.size();
    }
    std::memcpy(line, ends, sizeof ends);
    std::memcpy(line + kLineHeader, scratch.data(), textBytes);
    RowArena::Retain(block);
    row.data_ = line;
    // The room stays within reach of the 16-bit offsets.
    const size_t spare = std::min({lineEnd, kMaxSpare, size_t(UINT16_MAX) - textBytes});
    row.block_ = reinterpret_cast<uintptr_t>(block) | kInLine | spare << kSpareShift;
    return row;
}

void PackedRow::Free() {
    if (block_)
        RowArena::Release(reinterpret_cast<RowArena::Block*>(block_ & ~kTags));
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
    if (NumberRow()) return col == 0 ? std::string_view(data_, TagValue()) : std::string_view();
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

size_t PackedRow::LineBytes() const {
    size_t text = 0;
    if (InLineRow()) {
        LineOffset total;
        std::memcpy(&total, data_ + (kCells - 1) * sizeof total, sizeof total);
        text = total;
    } else if (NumberRow()) {
        text = TagValue();
    } else if (data_) {
        Offset total;
        std::memcpy(&total, data_ + (kCells - 1) * sizeof total, sizeof total);
        text = total;
    }
    return text + kCells * kSeparator.size();
}

char* PackedRow::PutLine(char* out) const {
    if (InLineRow()) {
        LineOffset ends[kCells];
        std::memcpy(ends, data_, sizeof ends);
        return PutCells<true>(out, data_ + kLineHeader, ends);
    }
    Offset ends[kCells] = {}; // a blank row: twelve empty cells
    if (!data_) return PutCells<false>(out, nullptr, ends);
    if (NumberRow()) {
        std::fill(std::begin(ends), std::end(ends), Offset(TagValue()));
        return PutCells<false>(out, data_, ends);
    }
    std::memcpy(ends, data_, sizeof ends);
    return PutCells<false>(out, data_ + kHeader, ends);
}

PackedRow::CellTexts PackedRow::Cells() const {
    CellTexts cells{};
    for (int i = 0; i < kCells; ++i)
        cells[size_t(i)] = Cell(i);
    return cells;
}

void PackedRow::SetCell(int col, std::string_view text, RowArena* arena) {
    if (col < 0 || col >= kCells) return;
    if (NumberRow()) {
        if (col != 0 && text.empty()) return;
        if (col == 0 && text.size() <= TagValue()) {
            if (text.empty()) return Free();
            std::memmove(data_, text.data(), text.size()); // the text may be its own
            block_ = (block_ & ~kTags) | text.size() << kSpareShift;
            return;
        }
    } else if (InLineRow()) {
        LineOffset ends[kCells];
        std::memcpy(ends, data_, sizeof ends);
        const size_t room = ends[kCells - 1] + TagValue();
        if (ReplaceInRoom(ends, data_ + kLineHeader, room, col, text)) {
            std::memcpy(data_, ends, sizeof ends);
            // The tags hold at most kMaxSpare: a row that gave up more keeps less room.
            const size_t spare = std::min(room - ends[kCells - 1], kMaxSpare);
            block_ = (block_ & ~kTags) | kInLine | spare << kSpareShift;
            if (ends[kCells - 1] == 0) Free(); // a row of empty cells is blank
            return;
        }
    } else if (data_) {
        Offset header[kCells + 1];
        std::memcpy(header, data_, sizeof header);
        if (ReplaceInRoom(header, data_ + kHeader, header[kCells], col, text)) {
            std::memcpy(data_, header, kCells * sizeof(Offset));
            if (header[kCells - 1] == 0) Free();
            return;
        }
    } else if (text.empty()) {
        return;
    }
    auto cells = Cells();
    cells[size_t(col)] = text;
    if (arena && NumberOnly(cells))
        *this = Number(text, *arena);
    else
        *this = PackedRow(cells); // the views point into the old memory, which lives until here
}

bool PackedRow::NumberOnly(const CellTexts& cells) {
    return !cells[0].empty() && cells[0].size() <= kMaxSpare &&
           std::all_of(cells.begin() + 1, cells.end(), [](auto c) { return c.empty(); });
}

PackedRow PackedRow::Number(std::string_view text, RowArena& arena) {
    PackedRow row;
    RowArena::Block* block = nullptr;
    row.data_ = arena.Allocate(text.size(), block);
    std::memcpy(row.data_, text.data(), text.size());
    row.block_ = reinterpret_cast<uintptr_t>(block) | text.size() << kSpareShift;
    return row;
}
