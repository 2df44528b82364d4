// How the sort compares the cells of one column. Sizes, durations and resolutions compare by
// value: a size by its digits, a duration by hours, then minutes, then seconds, a resolution
// by width, then height; so 12000,000,000 comes after 2000,000,000 and 1920x1080 after
// 1920x800. A cell that holds no such value (empty, "abc") comes before every value, and two
// of those compare as text. Every other column, and the stored cells themselves, stay text:
// unsigned bytes, no locale.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>

// A size, duration or resolution as two numbers compared in turn: the size and 0; the
// hours and the minutes and seconds together; the width and the height.
struct SortValue {
    uint64_t first = 0, second = 0;
    auto operator<=>(const SortValue&) const = default;
};

// Whether the cells of col compare by value.
bool SortsByValue(int col);

// The value of a cell of such a column, none when it holds no well-formed one: a size is
// digits in groups joined by single commas; a duration three runs of digits joined by ":";
// a resolution two joined by "x". Numbers longer than 18 digits (minutes and seconds: 9)
// are no values either.
std::optional<SortValue> ReadSortValue(int col, std::string_view text);

// <0, 0 or >0 as one cell sorts before, with or after another, given their values (none
// for a cell without one); the texts are read, through the calls given, only when neither
// has a value.
template <typename TextA, typename TextB>
int CompareSortValues(const std::optional<SortValue>& a, TextA textA,
                      const std::optional<SortValue>& b, TextB textB) {
    if (a && b) return *a < *b ? -1 : *b < *a ? 1 : 0;
    if (a || b) return a ? 1 : -1;
    return textA().compare(textB());
}

// <0, 0 or >0 as cell a of column col sorts before, with or after cell b.
int CompareSortCells(int col, std::string_view a, std::string_view b);
