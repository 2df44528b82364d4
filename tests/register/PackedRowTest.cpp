#include "register/PackedRow.h"

#include "register/GridStore.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::array<std::string_view, PackedRow::kCells> CellsOf(const std::vector<std::string>& texts) {
    std::array<std::string_view, PackedRow::kCells> cells{};
    for (size_t i = 0; i < texts.size(); ++i)
        cells[i] = texts[i];
    return cells;
}

// Rows packed into arena blocks stay whole when the arena is gone, when they move, swap and
// are rewritten in place or at another size, and when the rows around them go.
TEST(PackedRow, ArenaRowsOutliveTheArenaAndKeepTheirCells) {
    std::vector<PackedRow> rows;
    const int n = 60000; // more than one block
    {
        RowArena arena;
        for (int i = 0; i < n; ++i) {
            std::string number = std::to_string(i), name = "NAME " + std::string(i % 50, 'x');
            rows.emplace_back(CellsOf({number, "/PATH/", name, ".AVI"}), arena);
        }
    }
    std::swap(rows[0], rows[n - 1]);
    EXPECT_EQ(rows[0].Cell(0), std::to_string(n - 1));
    EXPECT_EQ(rows[n - 1].Cell(0), "0");

    rows[1].SetCell(3, ".MKV"); // same length: in place
    EXPECT_EQ(rows[1].Cell(3), ".MKV");
    EXPECT_EQ(rows[1].Cell(2), "NAME x");
    rows[1].SetCell(3, rows[1].Cell(2).substr(0, 4)); // a piece of its own text
    EXPECT_EQ(rows[1].Cell(3), "NAME");
    rows[2].SetCell(1, "/A MUCH LONGER PATH/"); // another length: rebuilt on its own
    EXPECT_EQ(rows[2].Cell(1), "/A MUCH LONGER PATH/");
    EXPECT_EQ(rows[2].Cell(2), "NAME xx");
    EXPECT_EQ(rows[2].Cell(0), "2");

    // Small changes of length move the texts after the cell within the row's room.
    rows[3].SetCell(0, "3x");
    rows[3].SetCell(2, "");
    EXPECT_EQ(rows[3].Cells()[0], "3x");
    EXPECT_EQ(rows[3].Cell(1), "/PATH/");
    EXPECT_EQ(rows[3].Cell(2), "");
    EXPECT_EQ(rows[3].Cell(3), ".AVI");
    rows[3].SetCell(2, rows[3].Cell(1)); // a piece of its own text, longer than before
    EXPECT_EQ(rows[3].Cell(2), "/PATH/");
    EXPECT_EQ(rows[3].Cell(3), ".AVI");
    for (int c = 0; c < 4; ++c)
        rows[3].SetCell(c, "");
    EXPECT_TRUE(rows[3].Blank());

    // Drop all but a few rows spread over the blocks; the rest must still read.
    std::vector<PackedRow> kept;
    for (int i = 0; i < n; i += 7919)
        kept.push_back(std::move(rows[size_t(i)]));
    rows.clear();
    for (size_t k = 1; k < kept.size(); ++k) {
        const int i = int(k) * 7919;
        EXPECT_EQ(kept[k].Cell(0), std::to_string(i));
        EXPECT_EQ(kept[k].Cell(2), "NAME " + std::string(size_t(i % 50), 'x'));
    }
    PackedRow moved = std::move(kept[1]);
    EXPECT_TRUE(kept[1].Blank());
    EXPECT_EQ(moved.Cell(1), "/PATH/");
    PackedRow blank(CellsOf({}));
    EXPECT_TRUE(blank.Blank());
    blank.SetCell(2, "");
    EXPECT_TRUE(blank.Blank());
}

// A loaded register (rows in the load's blocks) edited in every way reads and saves as
// expected.
TEST(PackedRow, LoadedRowsEditAndSaveLikeAnyOther) {
    TempDir t;
    std::string text;
    for (int r = 1; r <= 3000; ++r)
        text +=
            std::to_string(r) + "^^/P/^^N" + std::to_string(r) + "^^.AVI^^^^^^^^^^^^^^^^^^^^\r\n";
    t.Write("in.vdb", text);
    VideoRegister reg;
    LoadRegister(reg, t.Gb("in.vdb"));
    ASSERT_EQ(reg.LastRow(), 3000);
    reg.SwapRows(1, 3000);
    reg.SetCell(colType, 2, ".MKV");
    // Rows stay in the file's text: a longer cell moves the row out, not into the next line.
    reg.SetCell(colPath, 3, "/LONGER/");
    EXPECT_EQ(reg.Cell(colName, 4), "N4");
    reg.SetCell(colStars, 7, reg.Cell(colName, 7)); // a view into the text it leaves
    EXPECT_EQ(reg.Cell(colStars, 7), "N7");
    DeleteRows(reg, {4, 5, 6});
    RenumberRows(reg);
    EXPECT_EQ(reg.Cell(colName, 1), "N3000");
    EXPECT_EQ(reg.Cell(colName, 3000 - 3), "N1");
    EXPECT_EQ(RowToLine(reg, 2), "    2^^/P/^^N2^^.MKV^^^^^^^^^^^^^^^^^^");
    SaveRegister(reg, t.Gb("out.vdb"));
    VideoRegister again;
    LoadRegister(again, t.Gb("out.vdb"));
    ASSERT_EQ(again.LastRow(), 2997);
    for (int r = 1; r <= 2997; ++r)
        ASSERT_EQ(RowToLine(again, r), RowToLine(reg, r)) << r;
    EXPECT_EQ(again.Cell(colPath, 3), "/LONGER/");

    // The text lives as long as a row in it does, whatever happened to the rest.
    DeleteRows(again, std::vector<int>{1, 2, 3});
    again.SetRowCount(3);
    LoadRegister(reg, t.Gb("missing.vdb"));
    t.Write("out.vdb", "");
    EXPECT_EQ(RowToLine(again, 1), "    4^^/P/^^N7^^.AVI^^^^^^^^^^^^^^^^N7^^");
}

// A loaded row grows in place into its own line end (CR LF, LF, or none at the end of the
// file) and moves out beyond it, never into the next line; shrinking gives the room back.
TEST(PackedRow, LoadedRowsGrowIntoTheirOwnLineEndOnly) {
    TempDir t;
    const std::string tail = "^^/P/^^N^^.AVI^^^^^^^^^^^^^^^^^^";
    t.Write("in.vdb", "    1" + tail + "\r\n    2" + tail + "\n    3" + tail);
    VideoRegister reg;
    LoadRegister(reg, t.Gb("in.vdb"));
    std::string numbers[] = {"    1", "    2", "    3"};
    for (int r = 1; r <= 3; ++r) {
        for (const char* number : {"123456", "1234567", "1", "1234567", "12345678"}) {
            reg.SetCell(colNumber, r, numbers[r - 1] = number);
            for (int k = 1; k <= 3; ++k)
                ASSERT_EQ(RowToLine(reg, k), numbers[k - 1] + tail) << r << " " << number;
        }
    }
}

// A loaded row that gives up more room than its tags can hold keeps what they can: its
// next edits leave every other row alone. The file is past 2 MiB so that its blocks start on
// a huge page, whose clear low bits an overflow of the tags would have reached.
TEST(PackedRow, ALoadedRowShrunkByThousandsLeavesItsNeighboursAlone) {
    TempDir t;
    const std::string tail = "^^/MEDIA/^^NAME^^.AVI^^0734,003,112^^01:02:03^^^^^^^^^^^^";
    std::string text = "    1" + tail + std::string(3000, 'A') + "^^\r\n";
    for (int r = 2; r <= 30000; ++r)
        text += PadLeft(std::to_string(r), ' ', 5) + tail + "^^\r\n";
    t.Write("in.vdb", text);
    VideoRegister reg;
    LoadRegister(reg, t.Gb("in.vdb"));
    for (const std::string& stars : {std::string("B"), std::string(2147, 'C'), std::string()})
        reg.SetCell(colStars, 1, stars);
    DeleteRow(reg, 1);
    SaveRegister(reg, t.Gb("out.vdb"));
    const std::string saved = t.Read("out.vdb");
    ASSERT_EQ(saved.size(), text.size() - 3000 - tail.size() - 9);
    for (int r = 1; r < 30000; ++r)
        ASSERT_EQ(RowToLine(reg, r), PadLeft(std::to_string(r + 1), ' ', 5) + tail + "^^") << r;
}

} // namespace
