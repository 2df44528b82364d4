// The record that registers one file, as the folder search and the insertion write it.
#pragma once

#include "register/PackedRow.h"
#include "register/StorableCell.h"
#include "register/VideoRegister.h"

#include <string_view>

// Why the register cannot store the path's record faithfully: the first fault of its cells
// (folder, name, type) by StorableCell's rule. Such a file is never registered under
// another name.
CellFault PathFault(std::string_view gbPath);
inline bool StorablePath(std::string_view gbPath) {
    return PathFault(gbPath) == CellFault::None;
}
// The history line of a file that cannot be registered: "无法登记的文件名: ", the path and
// the reason in full-width brackets.
QString UnstorablePathLine(std::string_view gbPath);

// The cells of a new record for the file at gbPath (GB18030, "/" separators): the folder
// part with its trailing separator, the name without its extension, the extension with its
// dot (the name from its last dot on; none when the name has no dot), "右声道" and "1", all
// in upper case; the other cells empty.
PackedRow NewRecord(std::string_view gbPath);

// Writes the cells of NewRecord(gbPath) into the given row; its other cells stay.
void WriteNewRecord(VideoRegister& reg, int row, std::string_view gbPath);
