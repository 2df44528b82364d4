#include "app/CursorSelection.h"

#include "register/VideoRegister.h"

#include <climits>

CursorSelection::CursorSelection(VideoRegister& reg, QObject* parent)
    : QItemSelectionModel(&reg, parent), reg_(reg), cursor_(reg.Cursor()) {
    connect(&cursor_, &TRegisterCursor::currentChanged, this, [this] { ShowCurrent(); });
    connect(&cursor_, &TRegisterCursor::selectionChanged, this, [this] { ShowSelection(); });
    reset();
}

void CursorSelection::setCurrentIndex(const QModelIndex& index, SelectionFlags command) {
    if (!index.isValid()) return;
    const GridCell cell{index.column(), index.row() + 1};
    // A move that selects (an arrow key, a click) makes the cell the selection and the anchor.
    if (command & (Select | Clear))
        cursor_.SelectSpan(cell, cell);
    else
        cursor_.SetCurrent(cell.col, cell.row);
}

void CursorSelection::select(const QModelIndex& index, SelectionFlags command) {
    select(QItemSelection(index, index), command);
}

void CursorSelection::select(const QItemSelection& selection, SelectionFlags command) {
    if (selection.isEmpty() || !(command & (Select | Clear))) return;
    GridRect rect{INT_MAX, INT_MAX, -1, -1};
    for (const QItemSelectionRange& range : selection) {
        rect.left = std::min(rect.left, range.left());
        rect.right = std::max(rect.right, range.right());
        rect.top = std::min(rect.top, range.top() + 1);
        rect.bottom = std::max(rect.bottom, range.bottom() + 1);
    }
    // A click selects the cell and makes it the anchor; a drag spans from the pressed cell,
    // a corner of each rectangle the view asks for, to the opposite one under the pointer, so
    // that Shift and the arrow keys go on from where the drag began.
    const GridCell anchor = cursor_.Anchor();
    const bool anchorAtColumnEdge = anchor.col == rect.left || anchor.col == rect.right;
    const bool anchorAtRowEdge = anchor.row == rect.top || anchor.row == rect.bottom;
    if (rect.left == rect.right && rect.top == rect.bottom)
        cursor_.SelectSpan({rect.left, rect.top}, {rect.left, rect.top});
    else if (anchorAtColumnEdge && anchorAtRowEdge)
        cursor_.SelectSpan(
            anchor, {rect.left + rect.right - anchor.col, rect.top + rect.bottom - anchor.row});
    else
        cursor_.SetSelection(rect);
}

void CursorSelection::reset() {
    QItemSelectionModel::reset();
    ShowCurrent();
    ShowSelection();
}

void CursorSelection::ShowCurrent() {
    QItemSelectionModel::setCurrentIndex(reg_.index(cursor_.CurRow() - 1, cursor_.CurCol()),
                                         NoUpdate);
}

void CursorSelection::ShowSelection() {
    const GridRect& rect = cursor_.Selection();
    QItemSelectionModel::select(QItemSelection(reg_.index(rect.top - 1, rect.left),
                                               reg_.index(rect.bottom - 1, rect.right)),
                                ClearAndSelect);
}
