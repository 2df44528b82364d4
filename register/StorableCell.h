// What a register cell can hold. A database line is read one GB18030 character at a time
// (GbCharLength) and splits at the leftmost "^^" of two caret characters, ending at a line
// break; a cell is judged by the same characters, so a character whose second byte is a
// caret (頭 觀 區) is held as it is.
#pragma once

#include <QString>
#include <string_view>

// Why a text cannot be a cell; a text with several faults is refused for the first.
enum class CellFault {
    None,
    DoubleCaret,    // two caret characters in a row would read as a separator
    EndsInCaret,    // the caret would join the separator behind it
    IncompleteChar, // a lone lead byte would swallow the separator's first caret
    LineBreak,      // CR or LF would end the line
};

CellFault CellFaultOf(std::string_view text);
inline bool StorableCell(std::string_view text) {
    return CellFaultOf(text) == CellFault::None;
}
// The reason as the user reads it ("含有“^^”", ...); empty for CellFault::None.
QString CellFaultText(CellFault fault);
