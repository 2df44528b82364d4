// Row colours of the register grid by picture width.
#pragma once

#include <QColor>
#include <optional>
#include <string_view>

// The picture width of a resolution cell: the number before the first "x", 0 when that is
// empty or not a number ("0720x576" gives 720).
int PictureWidth(std::string_view resolution);
// The text colour of a row: red from 1280, blue from 1024, fuchsia from 720; below that
// nothing, and the grid's normal colour applies.
std::optional<QColor> RowTextColour(std::string_view resolution);
// The grid's highlight: a light one, on which every row colour and the normal text read at
// 3:1 or better (the fuchsia of a 720-wide row leaves room only for a near-white).
QColor GridHighlightColour();
// How far apart two colours read: the ratio of their relative luminances (each plus 0.05),
// from 1:1 to 21:1.
double ContrastRatio(QColor a, QColor b);
