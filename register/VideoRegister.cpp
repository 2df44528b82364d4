#include "register/VideoRegister.h"

#include "platform/text/GbText.h"
#include "register/GridStore.h"
#include "register/StorableCell.h"

#include <algorithm>
#include <numeric>

VideoRegister::VideoRegister(QObject* parent) : QAbstractTableModel(parent) {
    rows_.resize(2);
}

std::string_view VideoRegister::Cell(int col, int row) const {
    if (row < 0 || row >= RowCount()) return {};
    return rows_[size_t(row)].Cell(col);
}

void VideoRegister::SetCell(int col, int row, std::string_view text) {
    if (row < 0 || row >= RowCount() || col < 0 || col >= kColumns) return;
    PackedRow& r = rows_[size_t(row)];
    if (r.Cell(col) == text) return;
    r.SetCell(col, text, &arena_);
    NotifyRow(row, col, col);
}

void VideoRegister::SetRow(int row, PackedRow cells) {
    if (row < 0 || row >= RowCount()) return;
    rows_[size_t(row)] = std::move(cells);
    NotifyRow(row, 0, kColumns - 1);
}

void VideoRegister::NotifyRow(int row, int firstCol, int lastCol) {
    if (bulkDepth_ > 0) return;
    if (row == 0)
        emit headerDataChanged(Qt::Horizontal, firstCol, lastCol);
    else
        emit dataChanged(index(row - 1, firstCol), index(row - 1, lastCol));
}

void VideoRegister::SetRowCount(int count) {
    count = std::max(count, 1);
    if (count == RowCount()) return;
    BulkChange bulk(*this);
    if (count == 1) {
        newTable_ = true;
    } else if (count < RowCount()) {
        std::vector<int> cut(size_t(RowCount() - count));
        std::iota(cut.begin(), cut.end(), count);
        ShrinkSelection(cut);
    }
    rows_.resize(size_t(count));
}

void VideoRegister::SwapRows(int a, int b) {
    if (a == b || a < 0 || b < 0 || a >= RowCount() || b >= RowCount()) return;
    std::swap(rows_[size_t(a)], rows_[size_t(b)]);
    NotifyRow(a, 0, kColumns - 1);
    NotifyRow(b, 0, kColumns - 1);
}

void VideoRegister::RemoveRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::erase_if(rows, [&](int r) { return r < 1 || r >= RowCount(); });
    if (rows.empty()) return;
    BulkChange bulk(*this);
    ShrinkSelection(rows);
    size_t out = size_t(rows.front()), next = 0;
    for (size_t in = out; in < rows_.size(); ++in) {
        if (next < rows.size() && int(in) == rows[next]) {
            ++next;
            continue;
        }
        rows_[out++] = std::move(rows_[in]);
    }
    rows_.resize(out);
}

void VideoRegister::AppendRows(std::vector<PackedRow> rows) {
    if (rows.empty()) return;
    BulkChange bulk(*this);
    rows_.reserve(rows_.size() + rows.size());
    for (auto& r : rows)
        rows_.push_back(std::move(r));
}

void VideoRegister::ReplaceRows(std::vector<PackedRow> rows) {
    BulkChange bulk(*this);
    newTable_ = true;
    rows_ = std::move(rows);
    if (rows_.size() < 2) rows_.resize(2);
}

void VideoRegister::InsertBlankRows(int at, int count) {
    if (count <= 0 || at < 1 || at > RowCount()) return;
    BulkChange bulk(*this);
    std::vector<PackedRow> blank(static_cast<size_t>(count));
    rows_.insert(rows_.begin() + at, std::make_move_iterator(blank.begin()),
                 std::make_move_iterator(blank.end()));
}

void VideoRegister::SetCurrent(int col, int row) {
    if (col == curCol_ && row == curRow_) return;
    const int oldCol = curCol_, oldRow = curRow_;
    curCol_ = col;
    curRow_ = row;
    if (bulkDepth_ > 0) return;
    Settle();
    Announce(oldCol, oldRow, selection_);
}

void VideoRegister::SetSelection(const GridRect& rect) {
    if (rect == selection_) return;
    const GridRect old = selection_;
    selection_ = rect;
    if (bulkDepth_ > 0) return;
    Settle();
    Announce(curCol_, curRow_, old);
}

RowRange VideoRegister::SelectedRows() const {
    const int last = std::max(LastRow(), 1);
    const int top = std::clamp(std::min(selection_.top, selection_.bottom), 1, last);
    return {top, std::clamp(std::max(selection_.top, selection_.bottom), top, last)};
}

void VideoRegister::ShrinkSelection(const std::vector<int>& removed) {
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

void VideoRegister::Settle() {
    const int lastCol = kColumns - 1;
    curCol_ = std::clamp(curCol_, 1, lastCol);
    const int last = std::max(LastRow(), 1); // the header alone: a table being built
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
    newTable_ = selectionGone_ = false;
}

void VideoRegister::Announce(int oldCol, int oldRow, const GridRect& oldSelection) {
    if (curCol_ != oldCol || curRow_ != oldRow) emit currentChanged(curCol_, curRow_);
    if (selection_ != oldSelection) emit selectionChanged(selection_);
}

VideoRegister::BulkChange::BulkChange(VideoRegister& reg) : reg_(reg) {
    if (reg_.bulkDepth_++ > 0) return;
    reg_.bulkCol_ = reg_.curCol_;
    reg_.bulkRow_ = reg_.curRow_;
    reg_.bulkSelection_ = reg_.selection_;
    reg_.beginResetModel();
}

VideoRegister::BulkChange::~BulkChange() {
    if (--reg_.bulkDepth_ > 0) return;
    // The views see the settled cell and selection when they reset, and hear of a change
    // only after it, outside the reset.
    reg_.Settle();
    reg_.endResetModel();
    reg_.Announce(reg_.bulkCol_, reg_.bulkRow_, reg_.bulkSelection_);
}

int VideoRegister::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowCount() - 1;
}

int VideoRegister::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant VideoRegister::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return GbToQString(Cell(index.column(), index.row() + 1));
}

bool VideoRegister::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    const int col = index.column(), row = index.row() + 1;
    const std::string text = QStringToGb(value.toString());
    CellFault fault = CellFaultOf(text);
    if (fault == CellFault::None && col == colName) fault = FileNameFault(text, Cell(colType, row));
    if (fault == CellFault::None && col == colType) fault = FileNameFault(Cell(colName, row), text);
    if (fault != CellFault::None) {
        emit editRefused(col, row, CellFaultText(fault));
        return false;
    }
    SetCell(col, row, text);
    return true;
}

QVariant VideoRegister::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return GbToQString(Cell(section, 0));
}

Qt::ItemFlags VideoRegister::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}
