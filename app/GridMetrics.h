// The register grid's row height and column widths for the font it shows. The design sizes
// them for a font with a 12-pixel line and 6-pixel digits; a taller line or wider digits
// scale them by the ratio, and nothing gets smaller than designed.
#pragma once

#include <QFontMetricsF>
#include <array>

inline constexpr int kDesignRowHeight = 17;
inline constexpr int kDesignLineHeight = 12;
inline constexpr int kDesignDigitWidth = 6;
// Columns 0 to 11; the window refits columns 1 and 2 to its width.
inline constexpr std::array<int, 12> kDesignColumnWidths = {40, 145, 97, 40, 90, 57,
                                                            61, 43,  29, 37, 61, 51};

struct TGridMetrics {
    int rowHeight = kDesignRowHeight;
    std::array<int, 12> columnWidths = kDesignColumnWidths;
};

TGridMetrics GridMetricsFor(const QFontMetricsF& font);
