#include "maintenance/SortRows.h"

#include "maintenance/SortKeys.h"
#include "register/GridStore.h"

void QuickSortRows(VideoRegister& reg, int col, int lo, int hi) {
    // The smaller part is sorted by recursion and the larger one by this loop, so the depth
    // stays below log2(rows). The parts are disjoint, so the order of work does not matter.
    while (lo < hi) {
        if (hi == lo + 1 && CompareSortCells(col, reg.Cell(col, lo), reg.Cell(col, hi)) > 0) {
            reg.SwapRows(lo, hi);
            return;
        }
        int i = lo, j = hi;
        const SortPivot pivot(col, reg.Cell(col, lo + (hi - lo) / 2));
        do {
            while (pivot.CompareCell(reg.Cell(col, i)) < 0)
                ++i;
            while (pivot.CompareCell(reg.Cell(col, j)) > 0)
                --j;
            if (i <= j) {
                reg.SwapRows(i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        const bool left = j > lo, right = i < hi;
        if (left && right) {
            if (j - lo < hi - i) {
                QuickSortRows(reg, col, lo, j);
                lo = i;
            } else {
                QuickSortRows(reg, col, i, hi);
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

void SortWithinGroups(VideoRegister& reg, int primary, int secondary, int first, int last) {
    if (first > last) return;
    int group = first;
    std::string_view key = reg.Cell(primary, first);
    for (int r = first + 1; r <= last; ++r) {
        std::string_view text = reg.Cell(primary, r);
        if (CompareSortCells(primary, text, key) != 0) {
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
