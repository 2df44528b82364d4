#include "app/GridMetrics.h"

#include <algorithm>
#include <cmath>

namespace {
int Scaled(int design, qreal ratio) {
    return std::max(design, int(std::ceil(design * ratio - 1e-9)));
}
} // namespace

TGridMetrics GridMetricsFor(const QFontMetricsF& font) {
    qreal digit = 0;
    for (char c = '0'; c <= '9'; ++c)
        digit = std::max(digit, font.horizontalAdvance(QLatin1Char(c)));
    TGridMetrics m;
    m.rowHeight = Scaled(kDesignRowHeight, font.height() / kDesignLineHeight);
    for (int& width : m.columnWidths)
        width = Scaled(width, digit / kDesignDigitWidth);
    return m;
}
