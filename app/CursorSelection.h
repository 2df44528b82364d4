// The grid's selection model, a face of the register's cursor: what the view asks for (a
// click, a drag, an arrow key) goes to the cursor, and the view shows only what the cursor
// holds. The cursor is the one place the current cell and the selection are kept; this
// mirrors it, so the two never need to be kept in step both ways.
#pragma once

#include "register/RegisterCursor.h"

#include <QItemSelectionModel>

class VideoRegister;

class CursorSelection : public QItemSelectionModel {
    Q_OBJECT
public:
    CursorSelection(VideoRegister& reg, QObject* parent);

    void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override;
    void select(const QModelIndex& index, SelectionFlags command) override;
    void select(const QItemSelection& selection, SelectionFlags command) override;
    // A click beside the cells or the view's own clearing leaves the cursor as it is.
    void clear() override {}
    void clearCurrentIndex() override {}
    void reset() override;

private:
    // Shows the cursor's current cell and selection.
    void ShowCurrent();
    void ShowSelection();

    VideoRegister& reg_;
    TRegisterCursor& cursor_;
};
