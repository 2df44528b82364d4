// The rows of a database text: one per line, its cells split at the leftmost separators
// "^^" read by characters (GbCharLength). Where that reading finds fewer than twelve, the
// line may hold cells saved before separators were read by characters (a raw-byte name
// ending in a lone lead byte): at a lead byte followed by an even run of carets, which the
// character reading leaves one caret over, the byte stands alone and the separator is taken
// after it; everywhere else (頭 before a separator) the character reading holds.
#pragma once

#include "register/LineScan.h"
#include "register/PackedRow.h"
#include "register/RowArena.h"

#include <string>
#include <string_view>
#include <vector>

// The cells of one line (without its line end); the views point into the line.
PackedRow::CellTexts CellsOfLine(std::string_view line);

// Appends the rows of the lines of `text`, each copied out into memory of its own (a few
// rows: an arena block would cost a page of its own); its last line needs no line end.
void AppendCopiedRows(std::string_view text, std::vector<PackedRow>& rows);

// Makes the rows of the text in a block while the text arrives: a line with its twelve
// separators becomes a row that stays in the block, its line rewritten in place; other
// lines are copied out into `arena`. `text`, inside the block, is where the first line
// begins; the block holds PackedRow::kCopyStep bytes past the text.
class LineRowBuilder {
public:
    LineRowBuilder(RowArena::Block* block, char* text, std::vector<PackedRow>& rows,
                   RowArena& arena);
    LineRowBuilder(const LineRowBuilder&) = delete;
    LineRowBuilder& operator=(const LineRowBuilder&) = delete;

    // `size` bytes of text from `text` are there, all of it when `last`: appends the rows
    // of the lines that are whole.
    void Take(size_t size, bool last);
    // Where the line that is not yet whole begins, from `text`.
    size_t Pending() const { return scan_.Pending(); }

private:
    RowArena::Block* block_;
    char* text_;
    std::vector<PackedRow>& rows_;
    LineScan scan_;
    RowArena& arena_;
    std::string scratch_;
};
