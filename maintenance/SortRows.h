// Sorting the register: an in-place quicksort over whole rows by one column's cells, then
// within each run of equal primary keys by a secondary column. Cells compare as
// CompareSortCells says: sizes, durations and resolutions by value, everything else as
// unsigned bytes. Rows with equal keys end up where the partition steps put them; that order
// is part of the behaviour and must not change.
#pragma once

#include "register/VideoRegister.h"

// Sorts rows lo to hi by column col, ascending.
void QuickSortRows(VideoRegister& reg, int col, int lo, int hi);
// Within rows first to last, already sorted by column primary, sorts each run of rows with
// equal primary keys by column secondary.
void SortWithinGroups(VideoRegister& reg, int primary, int secondary, int first, int last);

// The key pair of one sort command.
struct SortOrder {
    int primary;
    int secondary;
};
inline constexpr SortOrder kSortByDir{1, 2};
inline constexpr SortOrder kSortByResolution{6, 2};
inline constexpr SortOrder kSortByFileName{2, 1};
inline constexpr SortOrder kSortBySize{4, 2};
inline constexpr SortOrder kSortByTime{5, 2};
inline constexpr SortOrder kSortByType{3, 2};

// One sort command: all data rows by the primary column, then within groups by the
// secondary one, then the row numbers rewritten. Views see one reset, not one change per swap.
void SortRegister(VideoRegister& reg, SortOrder order);
