#include "register/RegisterCursor.h"

#include "register/VideoRegister.h"

#include <algorithm>

void TRegisterCursor::SetCurrent(int col, int row) {
    if (col == curCol_ && row == curRow_) return;
    const int oldCol = curCol_, oldRow = curRow_;
    curCol_ = col;
    curRow_ = row;
    if (held_) return;
    Settle();
    Announce(oldCol, oldRow, selection_);
}

void TRegisterCursor::SetSelection(const GridRect& rect) {
    if (rect == selection_) return;
    const GridRect old = selection_;
    selection_ = rect;
    if (held_) return;
    Settle();
    Announce(curCol_, curRow_, old);
}

void TRegisterCursor::SelectSpan(GridCell from, GridCell to) {
    const int oldCol = curCol_, oldRow = curRow_;
    const GridRect old = selection_;
    curCol_ = to.col;
    curRow_ = to.row;
    selection_ = {std::min(from.col, to.col), std::min(from.row, to.row),
                  std::max(from.col, to.col), std::max(from.row, to.row)};
    anchor_ = from;
    if (held_) return;
    Settle();
    Announce(oldCol, oldRow, old, true);
}

RowRange TRegisterCursor::SelectedRows() const {
    const int last = std::max(reg_.LastRow(), 1);
    const int top = std::clamp(std::min(selection_.top, selection_.bottom), 1, last);
    return {top, std::clamp(std::max(selection_.top, selection_.bottom), top, last)};
}

void TRegisterCursor::RowsRemoved(const std::vector<int>& removed) {
    auto removedBefore = [&](int row) {
        return int(std::lower_bound(removed.begin(), removed.end(), row) - removed.begin());
    };
    const int top = selection_.top - removedBefore(selection_.top);
    const int bottom = selection_.bottom - removedBefore(selection_.bottom + 1);
    if (bottom < top)
        selectionGone_ = true;
    else
        selection_.top = top, selection_.bottom = bottom;
}

void TRegisterCursor::Settle() {
    const int lastCol = VideoRegister::kColumns - 1;
    curCol_ = std::clamp(curCol_, 1, lastCol);
    const int last = std::max(reg_.LastRow(), 1); // the header alone: a table being built
    curRow_ = std::clamp(curRow_, 1, last);
    if (newTable_ || selectionGone_) {
        selection_ = {curCol_, curRow_, curCol_, curRow_};
    } else {
        GridRect& s = selection_;
        s = {std::min(s.left, s.right), std::min(s.top, s.bottom), std::max(s.left, s.right),
             std::max(s.top, s.bottom)};
        s.left = std::clamp(s.left, 1, lastCol);
        s.right = std::clamp(s.right, s.left, lastCol);
        s.top = std::clamp(s.top, 1, last);
        s.bottom = std::clamp(s.bottom, s.top, last);
    }
    anchor_ = {std::clamp(anchor_.col, 1, lastCol), std::clamp(anchor_.row, 1, last)};
    newTable_ = selectionGone_ = false;
}

void TRegisterCursor::Hold() {
    held_ = true;
    heldCol_ = curCol_;
    heldRow_ = curRow_;
    heldSelection_ = selection_;
}

void TRegisterCursor::Release() {
    held_ = false;
    Announce(heldCol_, heldRow_, heldSelection_);
}

void TRegisterCursor::Announce(int oldCol, int oldRow, const GridRect& oldSelection,
                               bool keepAnchor) {
    const bool selectionMoved = selection_ != oldSelection;
    if (selectionMoved && !keepAnchor) anchor_ = {selection_.left, selection_.top};
    if (curCol_ != oldCol || curRow_ != oldRow) emit currentChanged(curCol_, curRow_);
    if (selectionMoved) emit selectionChanged(selection_);
}
