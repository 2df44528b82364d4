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
        cursor_.TableStarted();
    } else if (count < RowCount()) {
        std::vector<int> cut(size_t(RowCount() - count));
        std::iota(cut.begin(), cut.end(), count);
        cursor_.RowsRemoved(cut);
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
    cursor_.RowsRemoved(rows);
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
    cursor_.TableStarted();
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

VideoRegister::BulkChange::BulkChange(VideoRegister& reg) : reg_(reg) {
    if (reg_.bulkDepth_++ > 0) return;
    reg_.cursor_.Hold();
    reg_.beginResetModel();
}

VideoRegister::BulkChange::~BulkChange() {
    if (--reg_.bulkDepth_ > 0) return;
    // The views see the settled cell and selection when they reset, and hear of a change
    // only after it, outside the reset.
    reg_.cursor_.Settle();
    reg_.endResetModel();
    reg_.cursor_.Release();
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
