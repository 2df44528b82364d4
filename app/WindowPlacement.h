// Where the window may go: a place read from the settings file may be anything (another
// screen's, or a size no screen has, which costs memory and can break drawing), so it is
// kept on the screen as window managers expect.
#pragma once

#include <QRect>

// The place (outer top-left corner, client size) kept on the available area: the size at
// most the area's, the top edge inside it and at least a corner of the window showing in it.
QRect PlaceOnArea(QPoint topLeft, QSize clientSize, const QRect& area);
