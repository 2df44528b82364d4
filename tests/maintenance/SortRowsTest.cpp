#include "maintenance/SortRows.h"
#include "TestRegister.h"
#include "maintenance/SortKeys.h"
#include "platform/text/GbText.h"

#include <gtest/gtest.h>

namespace {

// The sort steps as written, with plain recursion into both parts; the reference for the
// order in which rows with equal keys come out.
void LiteralQuickSort(VideoRegister& reg, int c, int lo, int hi) {
    auto cmp = [&](std::string_view a, std::string_view b) { return CompareSortCells(c, a, b); };
    if (hi == lo + 1 && cmp(reg.Cell(c, lo), reg.Cell(c, hi)) > 0) {
        reg.SwapRows(lo, hi);
        return;
    }
    int i = lo, j = hi;
    std::string pivot(reg.Cell(c, (lo + hi) / 2));
    do {
        while (cmp(reg.Cell(c, i), pivot) < 0)
            i++;
        while (cmp(reg.Cell(c, j), pivot) > 0)
            j--;
        if (i <= j) {
            reg.SwapRows(i, j);
            i++;
            j--;
        }
    } while (!(i > j));
    if (j > lo) LiteralQuickSort(reg, c, lo, j);
    if (i < hi) LiteralQuickSort(reg, c, i, hi);
}

void LiteralSortCommand(VideoRegister& reg, int p, int s) {
    int last = reg.LastRow();
    LiteralQuickSort(reg, p, 1, last);
    std::string key(reg.Cell(p, 1));
    int g = 1;
    for (int r = 2; r <= last; ++r) {
        if (CompareSortCells(p, reg.Cell(p, r), key) != 0) {
            LiteralQuickSort(reg, s, g, r - 1);
            g = r;
            key = reg.Cell(p, r);
        }
    }
    if (CompareSortCells(p, reg.Cell(p, last), key) == 0) LiteralQuickSort(reg, s, g, last);
    RenumberRows(reg);
}

// Rows tagged in column 11 so that equal-key rows can be told apart.
std::vector<std::vector<std::string>> RandomRows(std::mt19937& rng, int n) {
    std::vector<std::vector<std::string>> rows;
    for (int k = 0; k < n; ++k) {
        rows.push_back({"", Pick(rng, {"/A/", "/A/B/", "/B/", ""}), Pick(rng, {"X", "Y", "XY", ""}),
                        Pick(rng, {".AVI", ".MKV"}),
                        Pick(rng, {"", "0000,123,456", "0734,003,200", "12000,000,000", "abc"}),
                        Pick(rng, {"", "01:00:00", "100:00:00", "20:00:00"}),
                        Pick(rng, {"1920x1080", "1920x800", "", "1920x0800"}), "", "", "", "",
                        "#" + std::to_string(k)});
    }
    return rows;
}

const SortOrder kAllOrders[] = {kSortByDir,  kSortByResolution, kSortByFileName,
                                kSortBySize, kSortByTime,       kSortByType};

} // namespace

TEST(SortRows, EqualKeysComeOutInTheOrderOfTheSteps) {
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        const auto rows = RandomRows(rng, round % 40 + 1 + (round % 7 == 0 ? 300 : 0));
        for (SortOrder order : kAllOrders) {
            VideoRegister mine, reference;
            SetRows(mine, rows);
            SetRows(reference, rows);
            SortRegister(mine, order);
            LiteralSortCommand(reference, order.primary, order.secondary);
            ASSERT_EQ(Lines(mine), Lines(reference))
                << "round " << round << " primary " << order.primary;
        }
    }
}

TEST(SortRows, TwoEqualRowsChangePlacesAndTwoOrderedRowsStay) {
    VideoRegister reg;
    SetRows(reg, {{"", "", "SAME", "", "", "", "", "", "", "", "", "first"},
                  {"", "", "SAME", "", "", "", "", "", "", "", "", "second"}});
    QuickSortRows(reg, 2, 1, 2);
    EXPECT_EQ(Column(reg, 11), (std::vector<std::string>{"second", "first"}));

    SetRows(reg, {{"", "", "A", "", "", "", "", "", "", "", "", "first"},
                  {"", "", "B", "", "", "", "", "", "", "", "", "second"}});
    QuickSortRows(reg, 2, 1, 2);
    EXPECT_EQ(Column(reg, 11), (std::vector<std::string>{"first", "second"}));
}

TEST(SortRows, SizesDurationsAndResolutionsSortByValueAfterCellsWithoutOne) {
    VideoRegister reg;
    SetRows(reg, {{"", "", "A", "", "2000,000,000", "20:00:00", "1920x800"},
                  {"", "", "B", "", "0734,003,200", "100:00:00", "0720x576"},
                  {"", "", "C", "", "", "", "1920x1080"},
                  {"", "", "D", "", "12000,000,000", "", ""},
                  {"", "", "E", "", "0000,123,456", "01:30:00", ""},
                  {"", "", "F", "", "abc", "1:2", "x576"}});
    SortRegister(reg, kSortBySize);
    EXPECT_EQ(Column(reg, 4), (std::vector<std::string>{"", "abc", "0000,123,456", "0734,003,200",
                                                        "2000,000,000", "12000,000,000"}));
    SortRegister(reg, kSortByTime);
    EXPECT_EQ(Column(reg, 5),
              (std::vector<std::string>{"", "", "1:2", "01:30:00", "20:00:00", "100:00:00"}));
    SortRegister(reg, kSortByResolution);
    EXPECT_EQ(Column(reg, 6),
              (std::vector<std::string>{"", "", "x576", "0720x576", "1920x800", "1920x1080"}));
    EXPECT_EQ(CompareSortCells(colResolution, "1920x0800", "1920x800"), 0);
    EXPECT_LT(CompareSortCells(colSize, "9,999", "10,000"), 0);
    EXPECT_LT(CompareSortCells(colSize, "1,,000", "1"), 0); // no value: before every value
    // Within equal (empty) resolutions the main name decides.
    EXPECT_EQ(Column(reg, 2)[0], "D");
    EXPECT_EQ(Column(reg, 2)[1], "E");
}

TEST(SortRows, FoldersThenNamesAndNamesThenFolders) {
    const std::string chinese = Utf8ToGb("变形金刚");
    VideoRegister reg;
    SetRows(reg, {{"", "/A/B/", "ALIEN"},
                  {"", "/A/", chinese},
                  {"", "/A/", "2012"},
                  {"", "/C/", "ALIEN"},
                  {"", "/A/", "ALIEN"}});
    SortRegister(reg, kSortByDir);
    EXPECT_EQ(Column(reg, 1), (std::vector<std::string>{"/A/", "/A/", "/A/", "/A/B/", "/C/"}));
    EXPECT_EQ(Column(reg, 2),
              (std::vector<std::string>{"2012", "ALIEN", chinese, "ALIEN", "ALIEN"}));
    SortRegister(reg, kSortByFileName);
    EXPECT_EQ(Column(reg, 2),
              (std::vector<std::string>{"2012", "ALIEN", "ALIEN", "ALIEN", chinese}));
    EXPECT_EQ(Column(reg, 1), (std::vector<std::string>{"/A/", "/A/", "/A/B/", "/C/", "/A/"}));
    EXPECT_EQ(Column(reg, 0),
              (std::vector<std::string>{"    1", "    2", "    3", "    4", "    5"}));
}

TEST(SortRows, BlankRegisterAndCurrentCellStayPut) {
    VideoRegister reg;
    SetRows(reg, {});
    SortRegister(reg, kSortByDir);
    EXPECT_EQ(reg.LastRow(), 1);
    EXPECT_EQ(reg.Cell(0, 1), "    1");

    SetRows(reg, {{"", "", "C"}, {"", "", "B"}, {"", "", "A"}});
    reg.Cursor().SetCurrent(3, 1);
    reg.Cursor().SetSelection({1, 1, 11, 2});
    SortRegister(reg, kSortByFileName);
    EXPECT_EQ(reg.Cursor().CurRow(), 1);
    EXPECT_EQ(reg.Cursor().CurCol(), 3);
    EXPECT_EQ(reg.Cursor().Selection(), (GridRect{1, 1, 11, 2}));
    EXPECT_EQ(reg.Cell(2, 1), "A");
}
