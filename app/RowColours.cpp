#include "app/RowColours.h"

#include "register/IniFile.h"
#include "register/utPublic.h"

int PictureWidth(std::string_view resolution) {
    return ParseInt(TextPiece(resolution, "x", 1)).value_or(0);
}

std::optional<QColor> RowTextColour(std::string_view resolution) {
    int w = PictureWidth(resolution);
    if (w >= 1280) return QColor(255, 0, 0);
    if (w >= 1024) return QColor(0, 0, 255);
    if (w >= 720) return QColor(255, 0, 255);
    return std::nullopt;
}
