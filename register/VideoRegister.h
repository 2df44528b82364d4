// The video register: the cell store of the register grid. Row 0 is the header row with
// the twelve column titles, rows 1 to last are the records; there are always at least two
// rows. Cells are GB18030 text. Where the user is in them (the current cell and the
// selection) is its cursor's, which the register's row changes keep inside the table.
//
// As a Qt model it shows the data rows (model row r is register row r + 1); the header
// row's cells are the horizontal header.
#pragma once

#include "register/PackedRow.h"
#include "register/RegisterCursor.h"

#include <QAbstractTableModel>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

    // Grows with blank rows or cuts rows off the end; never below 1 (the header). Cutting
    // to the header alone starts a new table.
    void SetRowCount(int count);
    void SwapRows(int a, int b);
    // Removes the given rows (any order, duplicates ignored) in one pass; rows below move up.
    void RemoveRows(std::vector<int> rows);
    // Appends rows at the end in one pass.
    void AppendRows(std::vector<PackedRow> rows);
    // Makes `rows` the whole table, the header row (rows[0]) included, without moving them;
    // blank rows make up two. Like a cut to the header alone, it starts a new table.
    void ReplaceRows(std::vector<PackedRow> rows);
    // Inserts blank rows before row `at` in one pass.
    void InsertBlankRows(int at, int count);

    // The current cell and the selection.
    TRegisterCursor& Cursor() { return cursor_; }
    const TRegisterCursor& Cursor() const { return cursor_; }

    // The database file the register was to be loaded from could not be read, for `reason`
    // (empty once a load or a save succeeded): what the register holds is not that file's
    // catalogue, and only the user may decide to replace the file with it.
    const std::string& UnreadDatabase() const { return unreadDatabase_; }
    void SetUnreadDatabase(std::string reason) {
        unreadDatabase_ = std::move(reason);
        unreadTold_ = false;
    }
    // Whether the history was told that commands do not save over it; telling it once.
    bool TellUnreadOnce() { return !std::exchange(unreadTold_, true); }

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
    // Typed text that the cell cannot hold (StorableCell) was refused for `reason`; the cell
    // kept its text.
    void editRefused(int col, int row, const QString& reason);

private:
    void NotifyRow(int row, int firstCol, int lastCol);

    std::vector<PackedRow> rows_;
    std::string unreadDatabase_;
    bool unreadTold_ = false;
    // Where the numbers of blank rows go (a load of blank lines renumbers each of them).
    RowArena arena_;
    TRegisterCursor cursor_{*this};
    int bulkDepth_ = 0;
};
