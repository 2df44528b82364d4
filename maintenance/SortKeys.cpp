#include "maintenance/SortKeys.h"

#include "register/GridStore.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a run of digits at pos (commas between digits allowed when `commas`), at most
// maxDigits of them; false when there is none or it is too long or malformed.
bool ReadNumber(std::string_view text, size_t& pos, bool commas, int maxDigits, uint64_t& out) {
    out = 0;
    int digits = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (IsDigit(c)) {
            if (++digits > maxDigits) return false;
            out = out * 10 + uint64_t(c - '0');
        } else if (!(commas && c == ',' && digits > 0 && pos + 1 < text.size() &&
                     IsDigit(text[pos + 1]))) {
            break;
        }
    }
    return digits > 0;
}

bool Expect(std::string_view text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

} // namespace

bool SortsByValue(int col) {
    return col == colSize || col == colDuration || col == colResolution;
}

std::optional<SortValue> ReadSortValue(int col, std::string_view text) {
    size_t pos = 0;
    SortValue v;
    uint64_t minutes = 0, seconds = 0;
    bool ok = false;
    switch (col) {
    case colSize:
        ok = ReadNumber(text, pos, true, 18, v.first);
        break;
    case colDuration:
        ok = ReadNumber(text, pos, false, 18, v.first) && Expect(text, pos, ':') &&
             ReadNumber(text, pos, false, 9, minutes) && Expect(text, pos, ':') &&
             ReadNumber(text, pos, false, 9, seconds);
        v.second = minutes << 32 | seconds;
        break;
    case colResolution:
        ok = ReadNumber(text, pos, false, 18, v.first) && Expect(text, pos, 'x') &&
             ReadNumber(text, pos, false, 18, v.second);
        break;
    default:
        break;
    }
    if (!ok || pos != text.size()) return std::nullopt;
    return v;
}

int CompareSortCells(int col, std::string_view a, std::string_view b) {
    if (!SortsByValue(col)) return a.compare(b);
    return CompareSortValues(
        ReadSortValue(col, a), [&] { return a; }, ReadSortValue(col, b), [&] { return b; });
}
