// The row numbers of the first column as the register writes them (right-aligned in five
// places, blanks before), and whether rows read from a file already hold theirs: renumbering
// a million rows that mostly hold their numbers would read every row once more.
#pragma once

#include <cstddef>
#include <string_view>

constexpr char kRowNumberPad = ' ';
constexpr int kRowNumberWidth = 5;

// Follows the first cells of a run of rows: whether they hold consecutive numbers.
struct NumberedRun {
    size_t first = 0; // the first row's number; 0 when it holds none
    size_t count = 0;
    bool holds = true;

    void Take(std::string_view cell);
};
