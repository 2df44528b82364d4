// The grid's current cell and selection over the register's cells, in register coordinates:
// what the grid highlights and every command on "the current row" or "the selected rows"
// reads. The register holds the cells; this holds where the user is in them.
//
// The current cell and the selection always lie inside the table (data rows, columns 1 and
// up): whatever changes the row count settles them, so the grid's highlight, the range the
// window shows and the rows a command acts on are one and the same. A table replaced as a
// whole leaves the current cell alone selected; removed rows shrink the selection to what
// remains of it, or to the current cell when nothing remains.
//
// The anchor is the fixed corner of the selection that Shift with the arrow keys or a click
// extends from: the top-left corner of a selection set as a whole, the cell a span started
// from otherwise.
#pragma once

#include <QObject>
#include <vector>

class VideoRegister;

struct GridCell {
    int col = 1, row = 1;
    bool operator==(const GridCell&) const = default;
};

struct GridRect {
    int left = 1, top = 1, right = 1, bottom = 1;
    bool operator==(const GridRect&) const = default;
};

// A run of data rows, top to bottom.
struct RowRange {
    int top = 1, bottom = 1;
};

class TRegisterCursor : public QObject {
    Q_OBJECT
public:
    explicit TRegisterCursor(const VideoRegister& reg) : reg_(reg) {}

    // Values outside the table are brought inside it; while the register's rows are held
    // (a BulkChange) that happens, and the views hear of the change, when it ends.
    int CurCol() const { return curCol_; }
    int CurRow() const { return curRow_; }
    void SetCurrent(int col, int row);
    const GridRect& Selection() const { return selection_; }
    void SetSelection(const GridRect& rect);
    const GridCell& Anchor() const { return anchor_; }
    // Selects the rectangle from `from` to `to`, makes `to` the current cell and `from` the
    // anchor: a range the user spans with the mouse or with Shift.
    void SelectSpan(GridCell from, GridCell to);
    // The rows of the selection, never past the last row: what every command on "the
    // selected rows" walks.
    RowRange SelectedRows() const;

    // Told by the register as its rows change. Rows removed (sorted, distinct) shrink the
    // selection; a new table selects the current cell alone.
    void RowsRemoved(const std::vector<int>& removed);
    void TableStarted() { newTable_ = true; }
    // Around a change of many rows: Hold notes the cell and selection, Settle brings them
    // inside the changed table, Release tells the views of what differs from the noted ones.
    void Hold();
    void Settle();
    void Release();

signals:
    void currentChanged(int col, int row);
    void selectionChanged(const GridRect& rect);

private:
    // keepAnchor: the selection was spanned from the anchor, which stays; any other change
    // of the selection moves the anchor to its top-left corner.
    void Announce(int oldCol, int oldRow, const GridRect& oldSelection, bool keepAnchor = false);

    const VideoRegister& reg_;
    int curCol_ = 1, curRow_ = 1;
    GridRect selection_;
    GridCell anchor_;
    bool newTable_ = false;      // cut to the header since the last Settle
    bool selectionGone_ = false; // every selected row removed since the last Settle
    bool held_ = false;
    int heldCol_ = 1, heldRow_ = 1;
    GridRect heldSelection_;
};
