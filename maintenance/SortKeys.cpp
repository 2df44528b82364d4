#include "maintenance/SortKeys.h"

#include "register/GridStore.h"

namespace {

using Kind = SortPivot::Kind;
using Value = SortPivot::Value;

Kind KindOf(int col) {
    switch (col) {
    case colSize:
        return Kind::Size;
    case colDuration:
        return Kind::Duration;
    case colResolution:
        return Kind::Resolution;
    default:
        return Kind::Text;
    }
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

// Sets field i of v to the digits of `run` without their leading zeros; commas (in a size)
// are kept in the view and stepped over when comparing.
void SetField(Value& v, int i, std::string_view run) {
    size_t start = 0;
    while (start < run.size() && (run[start] == '0' || run[start] == ','))
        ++start;
    run.remove_prefix(start);
    uint16_t digits = 0;
    for (char c : run)
        digits += IsDigit(c);
    v.fields[size_t(i)] = run;
    v.digits[size_t(i)] = digits;
}

// A size: digits in groups joined by single commas, a digit at both ends.
Value ReadSize(std::string_view text) {
    if (text.empty() || !IsDigit(text.front()) || !IsDigit(text.back())) return {};
    for (size_t i = 0; i < text.size(); ++i)
        if (!IsDigit(text[i]) && (text[i] != ',' || text[i - 1] == ',')) return {};
    Value v;
    SetField(v, 0, text);
    v.count = 1;
    return v;
}

// `fields` runs of digits joined by `separator`, none of them empty.
Value ReadFields(std::string_view text, char separator, int fields) {
    Value v;
    size_t start = 0;
    for (int i = 0; i < fields; ++i) {
        size_t end = start;
        while (end < text.size() && IsDigit(text[end]))
            ++end;
        if (end == start) return {};
        const bool lastField = i == fields - 1;
        if (lastField ? end != text.size() : end == text.size() || text[end] != separator)
            return {};
        SetField(v, i, text.substr(start, end - start));
        start = end + 1;
    }
    v.count = uint8_t(fields);
    return v;
}

Value Read(Kind kind, std::string_view text) {
    switch (kind) {
    case Kind::Size:
        return ReadSize(text);
    case Kind::Duration:
        return ReadFields(text, ':', 3);
    case Kind::Resolution:
        return ReadFields(text, 'x', 2);
    case Kind::Text:
        break;
    }
    return {};
}

// Two numbers given by their significant digits: the longer is larger, else digit by digit.
int CompareNumbers(std::string_view a, uint16_t aDigits, std::string_view b, uint16_t bDigits) {
    if (aDigits != bDigits) return aDigits < bDigits ? -1 : 1;
    size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && a[i] == ',')
            ++i;
        while (j < b.size() && b[j] == ',')
            ++j;
        if (i == a.size() || j == b.size()) return 0;
        if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
        ++i, ++j;
    }
}

int CompareRead(std::string_view a, const Value& va, std::string_view b, const Value& vb) {
    if (va.count == 0 || vb.count == 0) {
        if (va.count != vb.count) return va.count == 0 ? -1 : 1;
        return Sign(a.compare(b));
    }
    for (size_t i = 0; i < va.count; ++i) {
        const int c = CompareNumbers(va.fields[i], va.digits[i], vb.fields[i], vb.digits[i]);
        if (c != 0) return c;
    }
    return 0;
}

} // namespace

int CompareSortCells(int col, std::string_view a, std::string_view b) {
    const Kind kind = KindOf(col);
    if (kind == Kind::Text) return Sign(a.compare(b));
    return CompareRead(a, Read(kind, a), b, Read(kind, b));
}

SortPivot::SortPivot(int col, std::string_view text)
    : text_(text), kind_(KindOf(col)), value_(Read(kind_, text_)) {}

int SortPivot::CompareCell(std::string_view cell) const {
    if (kind_ == Kind::Text) return Sign(cell.compare(text_));
    return CompareRead(cell, Read(kind_, cell), text_, value_);
}
