#include "maintenance/SortRows.h"

#include "maintenance/SortKeys.h"
#include "register/GridStore.h"

#include <string>
#include <vector>

namespace {

// The quicksort's steps over rows lo to hi. `order` compares rows, keeps the pivot and
// exchanges rows.
template <typename Order> void QuickSort(Order& order, int lo, int hi) {
    // The smaller part is sorted by recursion and the larger one by this loop, so the depth
    // stays below log2(rows). The parts are disjoint, so the order of work does not matter.
    while (lo < hi) {
        if (hi == lo + 1 && order.Compare(lo, hi) > 0) {
            order.Swap(lo, hi);
            return;
        }
        int i = lo, j = hi;
        // A copy: the swaps below move the row the pivot came from.
        const auto pivot = order.Pivot(lo + (hi - lo) / 2);
        do {
            while (order.CompareToPivot(i, pivot) < 0)
                ++i;
            while (order.CompareToPivot(j, pivot) > 0)
                --j;
            if (i <= j) {
                order.Swap(i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        const bool left = j > lo, right = i < hi;
        if (left && right) {
            if (j - lo < hi - i) {
                QuickSort(order, lo, j);
                lo = i;
            } else {
                QuickSort(order, i, hi);
                hi = j;
            }
        } else if (left) {
            hi = j;
        } else if (right) {
            lo = i;
        } else {
            return;
        }
    }
}

// Cells compared as text, read from the register afresh each time.
struct TextOrder {
    VideoRegister& reg;
    int col;

    int Compare(int a, int b) const { return reg.Cell(col, a).compare(reg.Cell(col, b)); }
    std::string Pivot(int row) const { return std::string(reg.Cell(col, row)); }
    int CompareToPivot(int row, const std::string& pivot) const {
        return reg.Cell(col, row).compare(pivot);
    }
    void Swap(int a, int b) { reg.SwapRows(a, b); }
};

// Cells compared by value: each cell is read once, before the sort, and its value travels
// with its row; the text is read again only where neither of two cells holds a value.
struct ValueOrder {
    VideoRegister& reg;
    int col;
    int first;
    std::vector<std::optional<SortValue>> values; // of rows first, first + 1, ...

    struct PivotCell {
        std::optional<SortValue> value;
        std::string text; // only for a cell without a value
    };

    ValueOrder(VideoRegister& r, int c, int lo, int hi) : reg(r), col(c), first(lo) {
        values.reserve(size_t(hi - lo + 1));
        for (int row = lo; row <= hi; ++row)
            values.push_back(ReadSortValue(col, reg.Cell(col, row)));
    }
    const std::optional<SortValue>& Value(int row) const { return values[size_t(row - first)]; }
    auto Text(int row) const {
        return [this, row] { return reg.Cell(col, row); };
    }
    int Compare(int a, int b) const {
        return CompareSortValues(Value(a), Text(a), Value(b), Text(b));
    }
    PivotCell Pivot(int row) const {
        const auto& value = Value(row);
        return {value, value ? std::string() : std::string(reg.Cell(col, row))};
    }
    int CompareToPivot(int row, const PivotCell& pivot) const {
        return CompareSortValues(Value(row), Text(row), pivot.value,
                                 [&] { return std::string_view(pivot.text); });
    }
    void Swap(int a, int b) {
        reg.SwapRows(a, b);
        std::swap(values[size_t(a - first)], values[size_t(b - first)]);
    }
};

} // namespace

void QuickSortRows(VideoRegister& reg, int col, int lo, int hi) {
    if (lo >= hi) return;
    if (SortsByValue(col)) {
        ValueOrder order(reg, col, lo, hi);
        QuickSort(order, lo, hi);
    } else {
        TextOrder order{reg, col};
        QuickSort(order, lo, hi);
    }
}

void SortWithinGroups(VideoRegister& reg, int primary, int secondary, int first, int last) {
    if (first > last) return;
    int group = first;
    std::string_view key = reg.Cell(primary, first);
    for (int r = first + 1; r <= last; ++r) {
        std::string_view text = reg.Cell(primary, r);
        // Equal texts are equal keys; only different ones need comparing by value.
        if (text != key && CompareSortCells(primary, text, key) != 0) {
            QuickSortRows(reg, secondary, group, r - 1);
            group = r;
            // Sorting a group moves only rows above r, so row r's text stays valid here.
            key = reg.Cell(primary, r);
        }
    }
    QuickSortRows(reg, secondary, group, last);
}

void SortRegister(VideoRegister& reg, SortOrder order) {
    VideoRegister::BulkChange bulk(reg);
    QuickSortRows(reg, order.primary, 1, reg.LastRow());
    SortWithinGroups(reg, order.primary, order.secondary, 1, reg.LastRow());
    RenumberRows(reg);
}
