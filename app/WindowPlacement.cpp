#include "app/WindowPlacement.h"

#include <algorithm>

namespace {
// What stays of the window on the area at least, so that the user can reach it.
constexpr int kShowing = 48;

int Within(int value, int low, int high) {
    return std::clamp(value, low, std::max(low, high));
}
} // namespace

QRect PlaceOnArea(QPoint topLeft, QSize clientSize, const QRect& area) {
    const int w = Within(clientSize.width(), 1, area.width());
    const int h = Within(clientSize.height(), 1, area.height());
    const int showing = std::min({kShowing, w, h});
    // Computed from the area, which is small: nothing overflows whatever the file said.
    const int x =
        Within(topLeft.x(), area.left() - w + showing, area.left() + area.width() - showing);
    const int y = Within(topLeft.y(), area.top(), area.top() + area.height() - showing);
    return QRect(x, y, w, h);
}
