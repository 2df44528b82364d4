// How the sort compares the cells of one column. Sizes, durations and resolutions compare by
// value: a size by its digits, a duration by hours, then minutes, then seconds, a resolution
// by width, then height; so 12000,000,000 comes after 2000,000,000 and 1920x1080 after
// 1920x800. A cell that holds no such value (empty, "abc") comes before every value, and two
// of those compare as text. Every other column, and the stored cells themselves, stay text:
// unsigned bytes, no locale.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// <0, 0 or >0 as cell a of column col sorts before, with or after cell b.
int CompareSortCells(int col, std::string_view a, std::string_view b);

// The pivot of a partition: a copy of one cell (the swaps move the row it came from), read
// once, so that each comparison reads only the other cell.
class SortPivot {
public:
    SortPivot(int col, std::string_view text);
    SortPivot(const SortPivot&) = delete;
    SortPivot& operator=(const SortPivot&) = delete;

    // <0, 0 or >0 as the cell sorts before, with or after the pivot.
    int CompareCell(std::string_view cell) const;

    // A value read from a cell: its fields as their significant digits; none when the cell
    // holds no value of its column.
    struct Value {
        std::array<std::string_view, 3> fields{};
        std::array<uint16_t, 3> digits{};
        uint8_t count = 0;
    };
    enum class Kind : uint8_t { Text, Size, Duration, Resolution };

private:
    const std::string text_;
    const Kind kind_;
    const Value value_;
};
