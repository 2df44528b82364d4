#include "register/RowNumbers.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

bool Holds(std::string_view cell, size_t number) {
    char digits[24];
    const size_t size = size_t(std::to_chars(digits, digits + sizeof digits, number).ptr - digits);
    const size_t pad = std::max(size, size_t(kRowNumberWidth)) - size;
    return cell.size() == pad + size && cell.find_first_not_of(kRowNumberPad) == pad &&
           std::memcmp(cell.data() + pad, digits, size) == 0;
}

} // namespace

void NumberedRun::Take(std::string_view cell) {
    if (count++ == 0) {
        const size_t at = std::min(cell.find_first_not_of(kRowNumberPad), cell.size());
        std::from_chars(cell.data() + at, cell.data() + cell.size(), first);
    }
    holds = holds && first != 0 && Holds(cell, first + count - 1);
}
