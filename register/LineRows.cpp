#include "register/LineRows.h"

#include "platform/text/GbText.h"

#include <algorithm>

namespace {

constexpr int kCells = PackedRow::kCells;

// Whether the run of carets from `at` is of even length: after a lead byte that takes its
// first caret as a character, the rest of the run would leave one caret over.
bool EvenCaretRun(std::string_view line, size_t at) {
    size_t end = at;
    while (end < line.size() && line[end] == '^')
        ++end;
    return (end - at) % 2 == 0;
}

// The offsets of the line's leftmost separators, up to twelve, and their number. A separator
// starts on a character boundary; with `splitLeads`, a lead byte followed by an even run of
// carets stands alone, as a cell saved before separators were read by characters may end
// in one (the character reading would miss the separator after it).
int FindSeparators(std::string_view line, bool splitLeads, size_t* at) {
    int found = 0;
    size_t boundary = 0; // a character boundary at or before the caret looked at
    for (size_t from = 0; found < kCells;) {
        const size_t sep = line.find("^^", from);
        if (sep == line.npos) break;
        from = sep + 1;
        while (boundary < sep)
            boundary += GbCharLength(line, boundary);
        // Past it: the caret is the second byte of the character before it.
        if (boundary != sep && !(splitLeads && EvenCaretRun(line, sep))) {
            from = boundary;
            continue;
        }
        at[found++] = sep;
        from = boundary = sep + PackedRow::kSeparator.size();
    }
    return found;
}

} // namespace

PackedRow::CellTexts CellsOfLine(std::string_view line) {
    size_t at[kCells];
    int n = FindSeparators(line, false, at);
    // Fewer than twelve: the separators that reading missed are taken where they are.
    if (n < kCells) n = FindSeparators(line, true, at);
    PackedRow::CellTexts cells{};
    size_t cell = 0;
    for (int i = 0; i < n; ++i) {
        cells[size_t(i)] = line.substr(cell, at[i] - cell);
        cell = at[i] + PackedRow::kSeparator.size();
    }
    if (n < kCells) cells[size_t(n)] = line.substr(cell); // the rest of the line
    return cells;
}

void AppendCopiedRows(std::string_view text, std::vector<PackedRow>& rows) {
    while (!text.empty()) {
        const size_t feed = text.find('\n');
        std::string_view line = text.substr(0, feed);
        text.remove_prefix(feed == text.npos ? text.size() : feed + 1);
        if (feed != line.npos && line.ends_with('\r')) line.remove_suffix(1);
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
