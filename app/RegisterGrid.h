// TRegisterGrid: the view of the register grid sg. It shows the VideoRegister model with
// the header row and the number column fixed, one rectangle of selection, fixed row height
// and column widths (cheap at a million rows) sized for its font. The current cell and the
// selection it shows and changes are the register's cursor (CursorSelection). The window's sg*
// handlers get its events through the signals.
#pragma once

#include "register/VideoRegister.h"

#include <QModelIndex>
#include <QTableView>

#include <optional>

class TRegisterGrid : public QTableView {
    Q_OBJECT
public:
    TRegisterGrid(VideoRegister& reg, QWidget* parent = nullptr);

    // The register row shown at the top of the view.
    int TopRow() const;
    void SetTopRow(int row);
    // Typing into the current cell.
    void SetEditing(bool on);
    bool Editing() const;
    // The register column at a point of the viewport or the header; -1 outside every cell.
    int ColumnAt(QPoint viewportPos) const;
    // Sizes the rows and the columns for the font as the grid's screen shows it; done at
    // start and whenever the font or the screen changes.
    void ApplyFontMetrics();

signals:
    void DragSelectEnded();
    void CellDoubleClicked();
    void RowMoved(int fromIndex, int toIndex);
    void KeyUp(int key, Qt::KeyboardModifiers modifiers);
    void WheelDown();
    void WheelUp();
    // col: the register column under the pointer, -1 outside every cell.
    void ContextPopup(int col, QPoint globalPos);
    // The row height and column widths have been set anew.
    void MetricsChanged();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) override;
    void keyboardSearch(const QString& search) override;

private:
    // Moves a row; the current cell follows it to a data column and becomes the selection.
    void MoveRow(int from, int to);
    // The move of the current cell that a navigation key (arrows, PgUp/PgDn, Home/End) asks
    // for; none for other keys.
    static std::optional<CursorAction> NavigationAction(int key);
    // Shift with a navigation key: the current cell moves and the selection spans from the
    // anchor to it. False for other keys.
    bool ExtendSelection(QKeyEvent* event);
    // Makes `to` the current cell and the selection the rectangle from the anchor to it.
    void SelectFromAnchorTo(const QModelIndex& to);
    // The pop-up menu asked for from the keyboard: for the current cell, below it.
    void PopupAtCurrentCell();

    VideoRegister& reg_;
    TRegisterCursor& cursor_; // the register's, which the view shows and the user moves
    int topBeforeReset_ = 0;
    int dragFromRow_ = 0;    // register row dragged by its number cell, 0: none
    QModelIndex pressIndex_; // where a left press on a data cell started
    int wheelRemainder_ = 0;
};
