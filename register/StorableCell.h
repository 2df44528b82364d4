// What a register cell can hold. A database line splits at the leftmost "^^" and ends at a
// line break, so a cell holding "^^", CR or LF, or ending in "^" (whose caret would join the
// separator behind it), reads back as other cells. The rule is on the stored bytes: the
// last byte of a GBK character may be a caret too.
#pragma once

#include <string_view>

bool StorableCell(std::string_view text);
