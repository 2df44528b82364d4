// Colours as the program's stored properties give them: red in the lowest byte, green in
// the next, blue in the third.
#pragma once

#include <QColor>
#include <cstdint>

inline QColor ColorFromWin(uint32_t value) {
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// The button-face colour of the desktop palette.
QColor ButtonFaceColor();
// Bevel colours of raised and lowered edges.
QColor ButtonHighlightColor();
QColor ButtonShadowColor();
