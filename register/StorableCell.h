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
    Tab,            // the text export separates its columns by TAB
    Separator,      // a name or type with "/" would lead out of the row's folder
    DotName,        // a name "." or ".." names the folder or its parent, not a file
};

CellFault CellFaultOf(std::string_view text);
// Whether a row's name and type cells name a file of its folder: neither holds the
// separator, and together they are not "." or "..". Separator, DotName or None.
CellFault FileNameFault(std::string_view name, std::string_view type);
inline bool StorableCell(std::string_view text) {
    return CellFaultOf(text) == CellFault::None;
}
// The reason as the user reads it ("含有“^^”", ...); empty for CellFault::None.
QString CellFaultText(CellFault fault);
