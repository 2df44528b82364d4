#include "app/RegisterGrid.h"

#include "app/CursorSelection.h"
#include "app/GridMetrics.h"
#include "app/RegisterCellDelegate.h"
#include "app/RowColours.h"
#include "controls/WinColor.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

TRegisterGrid::TRegisterGrid(VideoRegister& reg, QWidget* parent)
    : QTableView(parent), reg_(reg), cursor_(reg.Cursor()) {
    setModel(&reg_);
    QItemSelectionModel* viewOwn = selectionModel();
    setSelectionModel(new CursorSelection(reg_, this));
    delete viewOwn;
    setItemDelegate(new RegisterCellDelegate(reg_, this));
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setShowGrid(true);
    setTabKeyNavigation(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, ButtonFaceColor());
    pal.setColor(QPalette::Highlight, GridHighlightColour());
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        pal.setColor(group, QPalette::HighlightedText, pal.color(group, QPalette::Text));
    setPalette(pal);

    // Fixed sizes only: nothing is ever measured from the contents.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* cols = horizontalHeader();
    cols->setMinimumSectionSize(1);
    cols->setSectionResizeMode(QHeaderView::Fixed);
    cols->setStretchLastSection(false);
    cols->setSectionsClickable(false);
    cols->setSectionsMovable(false);
    cols->setHighlightSections(false);
    cols->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    cols->installEventFilter(this);
    // The headers paint whether whole columns are selected, which Qt answers by walking
    // every row: a selection model of their own, always empty, keeps Ctrl+A cheap.
    auto* headerSelection = new QItemSelectionModel(&reg_, this);
    rows->setSelectionModel(headerSelection);
    cols->setSelectionModel(headerSelection);

    // A new table keeps the rows in view where they were.
    connect(&reg_, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { topBeforeReset_ = verticalScrollBar()->value(); });
    connect(&reg_, &QAbstractItemModel::modelReset, this,
            [this] { verticalScrollBar()->setValue(topBeforeReset_); });
    ApplyFontMetrics();
}

void TRegisterGrid::ApplyFontMetrics() {
    const TGridMetrics m = GridMetricsFor(QFontMetricsF(font(), this));
    verticalHeader()->setDefaultSectionSize(m.rowHeight);
    QHeaderView* cols = horizontalHeader();
    cols->setFixedHeight(m.rowHeight + 1);
    for (int col = 0; col < VideoRegister::kColumns; ++col)
        cols->resizeSection(col, m.columnWidths[size_t(col)]);
    emit MetricsChanged();
}

bool TRegisterGrid::event(QEvent* event) {
    const bool done = QTableView::event(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ScreenChangeInternal)
        ApplyFontMetrics();
    return done;
}

int TRegisterGrid::TopRow() const {
    return verticalScrollBar()->value() + 1;
}

void TRegisterGrid::SetTopRow(int row) {
    verticalScrollBar()->setValue(row - 1);
}

void TRegisterGrid::SetEditing(bool on) {
    setEditTriggers(on ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::DoubleClicked
                       : QAbstractItemView::NoEditTriggers);
}

bool TRegisterGrid::Editing() const {
    return editTriggers() != QAbstractItemView::NoEditTriggers;
}

int TRegisterGrid::ColumnAt(QPoint viewportPos) const {
    QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? index.column() : -1;
}

// --- mouse, keys, wheel ------------------------------------------------------------------

void TRegisterGrid::mousePressEvent(QMouseEvent* event) {
    QPoint pos = event->position().toPoint();
    QModelIndex index = indexAt(pos);
    if (event->button() == Qt::RightButton) return; // the menu acts on the cells chosen before
    if (index.isValid() && index.column() == 0) {
        // The number cell is fixed: a press there starts moving its row.
        if (event->button() == Qt::LeftButton) {
            dragFromRow_ = index.row() + 1;
            setCursor(Qt::SizeVerCursor);
        }
        return;
    }
    pressIndex_ = event->button() == Qt::LeftButton ? index : QModelIndex();
    if (pressIndex_.isValid() && (event->modifiers() & Qt::ShiftModifier)) {
        SelectFromAnchorTo(index); // as Shift with the arrow keys
        pressIndex_ = QModelIndex();
        return;
    }
    QTableView::mousePressEvent(event);
}

void TRegisterGrid::mouseMoveEvent(QMouseEvent* event) {
    // Moving a row by its number cell selects nothing on the way.
    if (dragFromRow_ > 0) return;
    QTableView::mouseMoveEvent(event);
}

void TRegisterGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (dragFromRow_ > 0) {
        int from = dragFromRow_;
        dragFromRow_ = 0;
        unsetCursor();
        QModelIndex target = indexAt(event->position().toPoint());
        if (target.isValid() && target.row() + 1 != from) {
            MoveRow(from, target.row() + 1);
            emit RowMoved(from, target.row() + 1);
        }
        return;
    }
    QModelIndex releaseIndex = indexAt(event->position().toPoint());
    bool dragged =
        event->button() == Qt::LeftButton && pressIndex_.isValid() && releaseIndex != pressIndex_;
    pressIndex_ = QModelIndex();
    QTableView::mouseReleaseEvent(event);
    if (dragged) emit DragSelectEnded();
}

void TRegisterGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && index.column() == 0) return;
    QTableView::mouseDoubleClickEvent(event);
    // Only a double click on a data cell, which has just become current, counts.
    if (index.isValid() && event->button() == Qt::LeftButton) emit CellDoubleClicked();
}

void TRegisterGrid::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::SelectAll) { // Ctrl+A acts on its release, as SelectAllRows
        event->accept();
        return;
    }
    // The menu key and Shift+F10 open the menu at the current cell (X11 turns the menu key
    // into a keyboard context-menu event itself; Shift+F10 and other platforms do not).
    bool menuKey = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
    bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (menuKey || shiftF10) {
        PopupAtCurrentCell();
        event->accept();
        return;
    }
    if (ExtendSelection(event)) return;
    QTableView::keyPressEvent(event);
}

std::optional<QAbstractItemView::CursorAction> TRegisterGrid::NavigationAction(int key) {
    static constexpr std::pair<int, CursorAction> kMoves[] = {
        {Qt::Key_Up, MoveUp},       {Qt::Key_Down, MoveDown},     {Qt::Key_Left, MoveLeft},
        {Qt::Key_Right, MoveRight}, {Qt::Key_PageUp, MovePageUp}, {Qt::Key_PageDown, MovePageDown},
        {Qt::Key_Home, MoveHome},   {Qt::Key_End, MoveEnd}};
    for (const auto& [k, action] : kMoves)
        if (k == key) return action;
    return std::nullopt;
}

bool TRegisterGrid::ExtendSelection(QKeyEvent* event) {
    if (!(event->modifiers() & Qt::ShiftModifier) || state() == EditingState) return false;
    const std::optional<CursorAction> action = NavigationAction(event->key());
    if (!action) return false;
    event->accept();
    SelectFromAnchorTo(moveCursor(*action, event->modifiers()));
    return true;
}

void TRegisterGrid::SelectFromAnchorTo(const QModelIndex& to) {
    if (!to.isValid()) return;
    cursor_.SelectSpan(cursor_.Anchor(), {to.column(), to.row() + 1});
    scrollTo(to);
}

void TRegisterGrid::keyReleaseEvent(QKeyEvent* event) {
    QTableView::keyReleaseEvent(event);
    if (!event->isAutoRepeat()) emit KeyUp(event->key(), event->modifiers());
}

void TRegisterGrid::wheelEvent(QWheelEvent* event) {
    // One row per wheel step; the current cell and the selection stay.
    wheelRemainder_ += event->angleDelta().y();
    while (wheelRemainder_ >= 120) {
        wheelRemainder_ -= 120;
        emit WheelUp();
    }
    while (wheelRemainder_ <= -120) {
        wheelRemainder_ += 120;
        emit WheelDown();
    }
    event->accept();
}

void TRegisterGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard)
        PopupAtCurrentCell();
    else
        emit ContextPopup(ColumnAt(event->pos()), event->globalPos());
    event->accept();
}

void TRegisterGrid::PopupAtCurrentCell() {
    QModelIndex current = currentIndex();
    QRect cell = current.isValid() ? visualRect(current) : QRect();
    if (!cell.intersects(viewport()->rect()))
        cell = QRect(viewport()->rect().center(), QSize(1, 1));
    emit ContextPopup(current.isValid() ? current.column() : -1,
                      viewport()->mapToGlobal(QPoint(cell.center().x(), cell.bottom())));
}

bool TRegisterGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == horizontalHeader() && event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        emit ContextPopup(horizontalHeader()->logicalIndexAt(menuEvent->pos()),
                          menuEvent->globalPos());
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

QModelIndex TRegisterGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    QModelIndex next = QTableView::moveCursor(action, modifiers);
    if (next.isValid() && next.column() == 0) return reg_.index(next.row(), 1);
    return next;
}

void TRegisterGrid::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) {
    // The number column is never part of the selection.
    QRect clipped = rect.normalized();
    int firstDataX = columnViewportPosition(1);
    if (clipped.left() < firstDataX) clipped.setLeft(firstDataX);
    if (clipped.right() < firstDataX) clipped.setRight(firstDataX);
    QTableView::setSelection(clipped, flags);
}

void TRegisterGrid::keyboardSearch(const QString&) {
    // Typing never jumps to a matching row: it either edits the cell or does nothing.
}

void TRegisterGrid::MoveRow(int from, int to) {
    VideoRegister::BulkChange bulk(reg_);
    int step = to > from ? 1 : -1;
    for (int r = from; r != to; r += step)
        reg_.SwapRows(r, r + step);
    const int col = std::max(cursor_.CurCol(), 1);
    cursor_.SetCurrent(col, to);
    cursor_.SetSelection({col, to, col, to});
}
