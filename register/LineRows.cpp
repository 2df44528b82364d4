#include "register/LineRows.h"

#include "platform/GbText.h"

#include <cstring>

namespace {

// Splits the line at its leftmost separators, up to twelve, and gives the number found;
// without twelve, the last cell holds the rest of the line. Read by characters, a
// separator starts on a character boundary; read by bytes, at any byte.
int SplitLine(std::string_view line, bool byChars, PackedRow::CellTexts& cells) {
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* cell = begin;
    const char* from = begin;     // where the next caret is looked for
    const char* boundary = begin; // a character boundary at or before `from`
    int found = 0;
    while (found < PackedRow::kCells) {
        const char* sep = static_cast<const char*>(std::memchr(from, '^', size_t(end - from)));
        if (!sep || sep + 1 == end) break;
        from = sep + 1;
        if (sep[1] != '^') continue;
        if (byChars) {
            while (boundary < sep)
                boundary += GbCharLength(line, size_t(boundary - begin));
            if (boundary != sep) { // the caret is the second byte of a character
                from = boundary;
                continue;
            }
        }
        cells[size_t(found++)] = std::string_view(cell, size_t(sep - cell));
        cell = from = boundary = sep + PackedRow::kSeparator.size();
    }
    if (found < PackedRow::kCells)
        cells[size_t(found)] = std::string_view(cell, size_t(end - cell));
    return found;
}

} // namespace

PackedRow::CellTexts CellsOfLine(std::string_view line) {
    PackedRow::CellTexts cells{};
    if (SplitLine(line, true, cells) < PackedRow::kCells) {
        PackedRow::CellTexts bytes{};
        if (SplitLine(line, false, bytes) == PackedRow::kCells) cells = bytes;
    }
    return cells;
}

void AppendCopiedRows(std::string_view text, std::vector<PackedRow>& rows) {
    while (!text.empty()) {
        const size_t feed = text.find('\n');
        std::string_view line = text.substr(0, feed);
        text.remove_prefix(feed == text.npos ? text.size() : feed + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        rows.emplace_back(CellsOfLine(line));
    }
}

LineRowBuilder::LineRowBuilder(RowArena::Block* block, char* text, std::vector<PackedRow>& rows,
                               RowArena& arena)
    : block_(block), text_(text), rows_(rows), scan_(text_), arena_(arena) {}

void LineRowBuilder::Take(size_t size, bool last) {
    scan_.Grow(size, last);
    while (const ScannedLine* line = scan_.Next()) {
        if (line->separators == PackedRow::kCells) {
            const size_t textBytes = size_t(line->separator[PackedRow::kCells - 1] - line->begin) -
                                     (PackedRow::kCells - 1) * PackedRow::kSeparator.size();
            if (PackedRow::FitsInLine(textBytes)) {
                // The line's end (up to where the next line begins) is the row's own.
                const size_t lineEnd = size_t(text_ + scan_.Pending() - line->end);
                rows_.push_back(PackedRow::InLine(text_ + (line->begin - text_), line->separator,
                                                  textBytes, lineEnd, block_, scratch_));
                continue;
            }
            PackedRow::CellTexts cells;
            const char* cell = line->begin;
            for (int i = 0; i < PackedRow::kCells; ++i) {
                cells[size_t(i)] = std::string_view(cell, size_t(line->separator[i] - cell));
                cell = line->separator[i] + PackedRow::kSeparator.size();
            }
            rows_.emplace_back(cells, arena_);
        } else {
            rows_.emplace_back(
                CellsOfLine(std::string_view(line->begin, size_t(line->end - line->begin))),
                arena_);
        }
    }
}
