#include "app/RowColours.h"

#include "register/IniFile.h"
#include "register/utPublic.h"

#include <algorithm>
#include <cmath>

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

QColor GridHighlightColour() {
    return QColor(255, 255, 192);
}

namespace {
double Luminance(QColor c) {
    auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}
} // namespace

double ContrastRatio(QColor a, QColor b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
