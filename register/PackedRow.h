// One register row: its twelve cell texts packed in a single allocation (the cells' end
// offsets followed by their bytes). A blank row holds no allocation at all, and moving or
// swapping rows moves one pointer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

class PackedRow {
public:
    static constexpr int kCells = 12;

    PackedRow() = default;
    explicit PackedRow(const std::array<std::string_view, kCells>& cells);

    std::string_view Cell(int col) const;
    void SetCell(int col, std::string_view text); // rebuilds the row
    bool Blank() const { return !data_; }
    std::array<std::string_view, kCells> Cells() const;

private:
    using Offset = uint32_t;
    const Offset* Ends() const { return reinterpret_cast<const Offset*>(data_.get()); }
    const char* Text() const { return data_.get() + kCells * sizeof(Offset); }

    std::unique_ptr<char[]> data_;
};
