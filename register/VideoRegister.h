// The video register: the cell store of the register grid. Row 0 is the header row with
// the twelve column titles, rows 1 to last are the records; there are always at least two
// rows. Cells are GB18030 text. The register also keeps the grid's current cell and
// selection rectangle, which several table operations move.
//
// As a Qt model it shows the data rows (model row r is register row r + 1); the header
// row's cells are the horizontal header.
#pragma once

#include "register/PackedRow.h"

#include <QAbstractTableModel>
#include <string>
#include <string_view>
#include <vector>

struct GridRect {
    int left = 1, top = 1, right = 1, bottom = 1;
    bool operator==(const GridRect&) const = default;
};

class VideoRegister : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = PackedRow::kCells;

    explicit VideoRegister(QObject* parent = nullptr);

    // Row count including the header row.
    int RowCount() const { return int(rows_.size()); }
    int LastRow() const { return RowCount() - 1; }
    int ColCount() const { return kColumns; }

    std::string_view Cell(int col, int row) const;
    void SetCell(int col, int row, std::string_view text);
    const PackedRow& Row(int row) const { return rows_[size_t(row)]; }
    void SetRow(int row, PackedRow cells);

    // Grows with blank rows or cuts rows off the end; never below 1 (the header).
    void SetRowCount(int count);
    void SwapRows(int a, int b);
    // Removes the given rows (any order, duplicates ignored) in one pass; rows below move up.
    void RemoveRows(std::vector<int> rows);
    // Appends rows at the end in one pass.
    void AppendRows(std::vector<PackedRow> rows);
    // Inserts blank rows before row `at` in one pass.
    void InsertBlankRows(int at, int count);

    // The grid's current cell and selection (register coordinates).
    int CurCol() const { return curCol_; }
    int CurRow() const { return curRow_; }
    void SetCurrent(int col, int row);
    const GridRect& Selection() const { return selection_; }
    void SetSelection(const GridRect& rect);

    // While a BulkChange lives, cell and row changes send no per-cell notifications; views
    // are told once at its end that everything may have changed.
    class BulkChange {
    public:
        explicit BulkChange(VideoRegister& reg);
        ~BulkChange();
        BulkChange(const BulkChange&) = delete;
        BulkChange& operator=(const BulkChange&) = delete;

    private:
        VideoRegister& reg_;
    };

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void currentChanged(int col, int row);
    void selectionChanged(const GridRect& rect);

private:
    void NotifyRow(int row, int firstCol, int lastCol);

    std::vector<PackedRow> rows_;
    int curCol_ = 1, curRow_ = 1;
    GridRect selection_;
    int bulkDepth_ = 0;
};
