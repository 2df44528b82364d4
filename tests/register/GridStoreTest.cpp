#include "register/GridStore.h"

#include "platform/fs/FileErrors.h"
#include "platform/text/GbText.h"
#include "support/FakeShell.h"
#include "support/TempDir.h"

#include "register/FileRows.h"
#include "register/StorableCell.h"
#include "register/utPublic.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {
const std::string kSeps12 = "^^^^^^^^^^^^^^^^^^^^^^^^";

// Fills the register with n rows whose column 2 names them "R1".."Rn".
void Fill(VideoRegister& reg, int n) {
    reg.SetRowCount(n + 1);
    for (int r = 1; r <= n; ++r)
        reg.SetCell(colName, r, "R" + std::to_string(r));
    RenumberRows(reg);
}
std::string Names(const VideoRegister& reg) {
    std::string s;
    for (int r = 1; r <= reg.LastRow(); ++r)
        s += std::string(reg.Cell(colName, r)) + ",";
    return s;
}
} // namespace

TEST(GridStore, LineFormatBothWays) {
    VideoRegister reg;
    LineToRow(reg, "    7^^D:/MOVIES/^^ALIEN^^.AVI^^", 1);
    EXPECT_EQ(reg.Cell(1, 1), "D:/MOVIES/");
    EXPECT_EQ(reg.Cell(3, 1), ".AVI");
    EXPECT_EQ(reg.Cell(4, 1), "");
    EXPECT_EQ(RowToLine(reg, 1), "    7^^D:/MOVIES/^^ALIEN^^.AVI^^" + kSeps12.substr(8));

    LineToRow(reg, "a^^b", 1); // missing pieces, no trailing separator
    EXPECT_EQ(reg.Cell(0, 1), "a");
    EXPECT_EQ(reg.Cell(1, 1), "b");
    EXPECT_EQ(reg.Cell(2, 1), "");

    std::string fifteen;
    for (int i = 0; i < 15; ++i)
        fifteen += std::to_string(i) + "^^";
    LineToRow(reg, fifteen, 1); // surplus pieces dropped
    EXPECT_EQ(reg.Cell(11, 1), "11");
    EXPECT_EQ(PieceCount(RowToLine(reg, 1), "^^") - 1, 12);

    reg.SetCell(0, 1, "a^"); // the caret quirk: "a^" then "b" reads back as "a" and "^b"
    reg.SetCell(1, 1, "b");
    LineToRow(reg, RowToLine(reg, 1), 1);
    EXPECT_EQ(reg.Cell(0, 1), "a");
    EXPECT_EQ(reg.Cell(1, 1), "^b");

    LineToRow(reg, "", 1);
    EXPECT_TRUE(reg.Row(1).Blank());
}

TEST(GridStore, LoadHandlesLineEndsEmptyLinesAndMissingFiles) {
    TempDir t;
    VideoRegister reg;
    LoadRegister(reg, t.Gb("none.vdb"));
    EXPECT_EQ(reg.RowCount(), 2);
    EXPECT_EQ(reg.Cell(0, 1), "    1");
    EXPECT_EQ(GbToUtf8(reg.Cell(2, 0)), "主文件名");
    EXPECT_EQ(GbToUtf8(reg.Cell(0, 0)), " 序号");

    t.Write("empty.vdb", "");
    LoadRegister(reg, t.Gb("empty.vdb"));
    EXPECT_EQ(reg.RowCount(), 2);

    t.Write("ends.vdb", "\r\n\n\r\n");
    LoadRegister(reg, t.Gb("ends.vdb"));
    EXPECT_EQ(reg.RowCount(), 4);
    EXPECT_EQ(reg.Cell(0, 3), "    3");

    t.Write("mixed.vdb", "1^^A^^\r\n2^^B^^\n3^^C"); // CR LF, LF, last line without end
    LoadRegister(reg, t.Gb("mixed.vdb"));
    ASSERT_EQ(reg.RowCount(), 4);
    EXPECT_EQ(reg.Cell(1, 1), "A");
    EXPECT_EQ(reg.Cell(1, 2), "B");
    EXPECT_EQ(reg.Cell(1, 3), "C");
    // A bare CR ends no line, the last one's neither: it stays the cell's.
    t.Write("cr.vdb", "1^^A^^\r\n2^^B\r");
    LoadRegister(reg, t.Gb("cr.vdb"));
    EXPECT_EQ(reg.Cell(1, 2), "B\r");

    // Rows that hold numbers, but not their own, are renumbered.
    t.Write("from2.vdb", "    2^^A^^\r\n    3^^B^^\r\n");
    LoadRegister(reg, t.Gb("from2.vdb"));
    EXPECT_EQ(reg.Cell(0, 1), "    1");
    EXPECT_EQ(reg.Cell(0, 2), "    2");
    t.Write("form.vdb", "    1^^A^^\r\n   2^^B^^\r\n    3^^C^^\r\n");
    LoadRegister(reg, t.Gb("form.vdb"));
    EXPECT_EQ(reg.Cell(0, 2), "    2");
}

TEST(GridStore, LoadReplacesABiggerTableAndNewRowsStartBlank) {
    TempDir t;
    std::string file;
    for (int i = 0; i < 10; ++i)
        file += "x^^P" + std::to_string(i) + "^^N^^.T^^\r\n";
    t.Write("ten.vdb", file);
    VideoRegister reg;
    Fill(reg, 100);
    reg.SetCell(11, 50, "stars");
    LoadRegister(reg, t.Gb("ten.vdb"));
    EXPECT_EQ(reg.RowCount(), 11);
    reg.SetRowCount(12);
    for (int c = 0; c < 12; ++c)
        EXPECT_EQ(reg.Cell(c, 11), "");
    reg.SetRowCount(51);
    EXPECT_EQ(reg.Cell(11, 50), "");
}

TEST(GridStore, SaveAndLoadRoundTripTheBlankRegisterAndChineseCells) {
    TempDir t;
    VideoRegister reg;
    LoadRegister(reg, t.Gb("missing.vdb")); // the blank register
    SaveRegister(reg, t.Gb("blank.vdb"));
    EXPECT_EQ(t.Read("blank.vdb"), "    1" + kSeps12 + "\r\n");
    LoadRegister(reg, t.Gb("blank.vdb"));
    EXPECT_EQ(reg.RowCount(), 2);
    EXPECT_EQ(reg.Cell(0, 1), "    1");

    Fill(reg, 3);
    reg.SetCell(colPath, 2, Utf8ToGb("/媒体/电影/"));
    reg.SetCell(colChannel, 2, Utf8ToGb("右声道"));
    SaveRegister(reg, t.Gb("three.vdb"));
    VideoRegister back;
    LoadRegister(back, t.Gb("three.vdb"));
    ASSERT_EQ(back.RowCount(), 4);
    for (int r = 1; r <= 3; ++r)
        EXPECT_EQ(RowToLine(back, r), RowToLine(reg, r));
}

// Characters whose second byte is a caret (頭 觀 區 ...), the converter's whole set, read back
// whole at the end of a cell and before a caret; the cell rule allows exactly what reads
// back; a line saved before, with a raw-byte name ending in a lone lead byte, reads by bytes.
TEST(GridStore, CaretTrailCharactersRoundTripAndOldRawByteLinesReadUnchanged) {
    TempDir t;
    VideoRegister reg;
    reg.SetRowCount(1);
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        const std::string ch{char(lead), '^'};
        const std::string utf8 = GbToUtf8(ch);
        if (utf8.find("\xEF\xBF\xBD") != std::string::npos || Utf8ToGb(utf8) != ch) continue;
        const int r = reg.RowCount();
        reg.SetRowCount(r + 1);
        for (const auto& [col, text] : {std::pair{colName, "A" + ch},
                                        {colType, ch + "^B"},
                                        {colCategory, ch + "^" + ch},
                                        {colStars, ch}}) {
            EXPECT_TRUE(StorableCell(text)) << lead;
            reg.SetCell(col, r, text);
        }
    }
    EXPECT_GE(reg.LastRow(), 117); // GBK's set at least
    RenumberRows(reg);
    SaveRegister(reg, t.Gb("carets.vdb"));
    VideoRegister back;
    LoadRegister(back, t.Gb("carets.vdb"));
    ASSERT_EQ(back.LastRow(), reg.LastRow());
    for (int r = 1; r <= reg.LastRow(); ++r)
        for (int c = 0; c < VideoRegister::kColumns; ++c)
            ASSERT_EQ(back.Cell(c, r), reg.Cell(c, r)) << r << "," << c;

    for (const auto& [text, fault] : {std::pair{"a^^b", CellFault::DoubleCaret},
                                      {"a^", CellFault::EndsInCaret},
                                      {"a\rb", CellFault::LineBreak},
                                      {"a\n", CellFault::LineBreak},
                                      {"a\tb", CellFault::Tab},
                                      {"CAF\xE9", CellFault::IncompleteChar},
                                      {"\x81\x30\x81", CellFault::IncompleteChar},
                                      {"\x81\x30", CellFault::None},
                                      {"\x81\x30\x81\x30", CellFault::None}})
        EXPECT_EQ(CellFaultOf(text), fault) << text;
    // A typed name or type is judged with the other cell of the file name: "/" and "." or
    // ".." would lead out of the row's folder.
    VideoRegister typed;
    typed.SetCell(colName, 1, "..");
    EXPECT_FALSE(typed.setData(typed.index(0, colType), "/X", Qt::EditRole));
    EXPECT_FALSE(typed.setData(typed.index(0, colName), ".", Qt::EditRole));
    EXPECT_TRUE(typed.setData(typed.index(0, colType), ".AVI", Qt::EditRole));

    const std::string old = "    1^^/MEDIA/^^CAF\xE9^^.MKV^^" + kSeps12.substr(8) + "\r\n";
    t.Write("old.vdb", old);
    LoadRegister(back, t.Gb("old.vdb"));
    EXPECT_EQ(back.Cell(colName, 1), "CAF\xE9");
    EXPECT_EQ(back.Cell(colType, 1), ".MKV");
    SaveRegister(back, t.Gb("again.vdb"));
    EXPECT_EQ(t.Read("again.vdb"), old);
    // Only the separator the character reading missed is taken by bytes: 頭 (EE 5E) before
    // a separator elsewhere in the line stays whole.
    const std::string both = "    1^^/MEDIA/^^CAF\xE9^^\xEE^^^.MKV^^" + kSeps12.substr(10) + "\r\n";
    t.Write("both.vdb", both);
    LoadRegister(back, t.Gb("both.vdb"));
    EXPECT_EQ(back.Cell(colName, 1), "CAF\xE9");
    EXPECT_EQ(back.Cell(colType, 1), "\xEE^");
    EXPECT_EQ(back.Cell(colSize, 1), ".MKV");
}

// The load's block scan splits as the reading one character at a time does, wherever lines,
// separators and runs of two-byte characters fall against its blocks.
TEST(GridStore, LoadSplitsRandomLinesAsTheCharacterReadingDoes) {
    const std::string pieces[] = {
        "^", "^^", "a", "0", "\x81", "\xE9", "\xFE", "\xFF", "\x80", "\r", std::string(67, '\xB0')};
    std::mt19937 rng(7);
    std::vector<std::string> lines(3000);
    std::string file;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string& line = lines[i];
        for (int k = int(rng() % 60); k > 0; --k)
            line += pieces[rng() % std::size(pieces)];
        for (int k = i % 4 ? 12 : 0; k > 0; --k)
            line.insert(rng() % (line.size() + 1), "^^");
        file += line + (i % 5 ? "\r\n" : "\n");
        if (i % 5 == 0 && line.ends_with('\r')) line.pop_back();
    }
    TempDir t;
    t.Write("random.vdb", file);
    VideoRegister reg;
    LoadRegister(reg, t.Gb("random.vdb"));
    ASSERT_EQ(reg.LastRow(), int(lines.size()));
    for (size_t i = 0; i < lines.size(); ++i) {
        const PackedRow expected = LineToCells(lines[i]);
        for (int c = 1; c < VideoRegister::kColumns; ++c)
            ASSERT_EQ(reg.Cell(c, int(i) + 1), expected.Cell(c)) << i << "," << c;
    }

    // Read in chunks smaller than a line, than a block, and of a few lines, the lines, their
    // separators, line ends and characters fall across the chunks' boundaries; so do a last
    // line without a line end (the first 300 lines) and a file of one line without any.
    size_t open = 0;
    for (int i = 0; i < 300; ++i)
        open = file.find('\n', open) + 1;
    t.Write("open.vdb", file.substr(0, open - 2));
    t.Write("one.vdb", lines[1]);
    t.Write("numbered.vdb", "    1^^A\n    2^^B\r\n    3^^C");
    t.Write("skips.vdb", "    1^^A\n    3^^B\r\n    4^^C");
    for (const size_t chunk : {size_t(5), size_t(63), size_t(1000)}) {
        std::vector<PackedRow> numbered, skips;
        EXPECT_TRUE(ReadFileRows(RealPath(t.Path() + "numbered.vdb"), numbered, chunk)) << chunk;
        EXPECT_FALSE(ReadFileRows(RealPath(t.Path() + "skips.vdb"), skips, chunk)) << chunk;
        for (const auto& [name, count] : {std::pair{"open.vdb", size_t(300)},
                                          {"one.vdb", size_t(1)},
                                          {"random.vdb", chunk > 5 ? lines.size() : 0}}) {
            if (count == 0) continue; // a chunk per 5 bytes: too many for the whole file
            std::vector<PackedRow> rows;
            ReadFileRows(RealPath(t.Path() + name), rows, chunk);
            ASSERT_EQ(rows.size(), count) << name << " " << chunk;
            for (size_t i = 0; i < count; ++i)
                ASSERT_EQ(rows[i].Cells(), LineToCells(lines[i + (count == 1)]).Cells())
                    << name << " " << chunk << " " << i;
        }
    }
}

TEST(GridStore, ReadFailureLeavesTheBlankRegisterAndReports) {
    TempDir t;
    VideoRegister reg;
    Fill(reg, 5);
    // A folder or a loop of links in the database's place is reported; the blank register
    // left is never saved over it by a command, only by the user's own save.
    t.MakeDir("folder.vdb");
    symlink("loop.vdb", (t.Path() + "loop.vdb").c_str());
    for (const char* name : {"folder.vdb", "loop.vdb"}) {
        EXPECT_THROW(LoadRegister(reg, t.Gb(name)), EFileError) << name;
        EXPECT_EQ(reg.RowCount(), 2);
        EXPECT_FALSE(reg.UnreadDatabase().empty());
    }
    t.Write("kept.vdb", "    1^^/A/^^B^^.AVI^^\r\n");
    FakeShell shell;
    for (int i = 0; i < 2; ++i)
        EXPECT_FALSE(SaveRegisterByCommand(reg, t.Gb("kept.vdb"), shell));
    EXPECT_EQ(shell.history.size(), 1);
    EXPECT_EQ(t.Read("kept.vdb"), "    1^^/A/^^B^^.AVI^^\r\n");
    SaveRegister(reg, t.Gb("kept.vdb"));
    EXPECT_TRUE(reg.UnreadDatabase().empty());
    EXPECT_TRUE(SaveRegisterByCommand(reg, t.Gb("kept.vdb"), shell));

    // Reading /proc/self/mem at offset 0 fails with EIO: a read error after a good open.
    symlink("/proc/self/mem", (t.Path() + "bad.vdb").c_str());
    Fill(reg, 5);
    try {
        LoadRegister(reg, t.Gb("bad.vdb"));
        ADD_FAILURE() << "the load should have failed";
    } catch (const EFileError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    EXPECT_EQ(reg.RowCount(), 2);
    EXPECT_EQ(reg.Cell(0, 1), "    1");
    EXPECT_EQ(reg.Cell(colName, 1), "");
    EXPECT_EQ(GbToUtf8(reg.Cell(1, 0)), "路径");

    // A file that grows past the size it had when opened (as /proc's files, of size 0, do
    // for a reader) is read to its end.
    symlink("/proc/cpuinfo", (t.Path() + "growing.vdb").c_str());
    LoadRegister(reg, t.Gb("growing.vdb"));
    std::ifstream cpuinfo("/proc/cpuinfo");
    const auto lineFeeds = std::count(std::istreambuf_iterator<char>(cpuinfo), {}, '\n');
    EXPECT_EQ(reg.LastRow(), lineFeeds);
    std::vector<PackedRow> rows; // the same in chunks far smaller than the file
    ReadFileRows(RealPath(t.Path() + "growing.vdb"), rows, 7);
    EXPECT_EQ(std::ssize(rows), lineFeeds);
}

TEST(GridStore, FailedSaveKeepsThePreviousDatabase) {
    TempDir t;
    t.Write("db.vdb", "old^^\r\n");
    VideoRegister reg;
    EXPECT_THROW(SaveRegister(reg, t.Gb("no-such-folder/db.vdb")), EFileError);
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 64;
    signal(SIGXFSZ, SIG_IGN);
    Fill(reg, 20000);
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(SaveRegister(reg, t.Gb("db.vdb")), EFileError);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(t.Read("db.vdb"), "old^^\r\n");
}

TEST(GridStore, RenumberAndPad) {
    EXPECT_EQ(PadLeft("1", ' ', 5), "    1");
    EXPECT_EQ(PadLeft("12", ' ', 5), "   12");
    EXPECT_EQ(PadLeft("12345", ' ', 5), "12345");
    EXPECT_EQ(PadLeft("100000", ' ', 5), "100000");
    EXPECT_EQ(PadLeft("7", '0', 3), "007");
    EXPECT_EQ(PadLeft("7", ' ', -1), "");
    VideoRegister reg;
    reg.SetRowCount(100001);
    RenumberRows(reg);
    EXPECT_EQ(reg.Cell(0, 99999), "99999");
    EXPECT_EQ(reg.Cell(0, 100000), "100000");
}

TEST(GridStore, DeleteRowMovesRowsAndTheCurrentRow) {
    VideoRegister reg;
    Fill(reg, 1);
    DeleteRow(reg, 1); // the only row is emptied, number cell included
    EXPECT_EQ(reg.RowCount(), 2);
    EXPECT_EQ(reg.Cell(0, 1), "");

    Fill(reg, 3);
    reg.Cursor().SetCurrent(2, 3);
    DeleteRow(reg, 3); // the last row: the current row moves up
    EXPECT_EQ(Names(reg), "R1,R2,");
    EXPECT_EQ(reg.Cursor().CurRow(), 2);

    Fill(reg, 3);
    reg.Cursor().SetCurrent(2, 1);
    DeleteRow(reg, 1);
    EXPECT_EQ(Names(reg), "R2,R3,");
    EXPECT_EQ(reg.Cursor().CurRow(), 1);
    reg.Cursor().SetCurrent(2, 2);
    DeleteRow(reg, 1); // the current row was the last: it becomes the new last row
    EXPECT_EQ(reg.Cursor().CurRow(), 1);
}

TEST(GridStore, BatchDeleteEqualsRepeatedDeleteFromTheBottom) {
    for (auto rows : std::vector<std::vector<int>>{
             {2, 4}, {5}, {1, 2, 3, 4, 5}, {1}, {3, 5}, {4, 5}, {1, 5}, {2, 3, 4}}) {
        for (int cur = 1; cur <= 5; ++cur) {
            VideoRegister a, b;
            Fill(a, 5);
            Fill(b, 5);
            a.Cursor().SetCurrent(3, cur);
            b.Cursor().SetCurrent(3, cur);
            for (auto it = rows.rbegin(); it != rows.rend(); ++it)
                DeleteRow(a, *it);
            DeleteRows(b, rows);
            EXPECT_EQ(Names(a), Names(b));
            EXPECT_EQ(a.RowCount(), b.RowCount());
            EXPECT_EQ(a.Cursor().CurRow(), b.Cursor().CurRow()) << "current " << cur;
        }
    }
}

TEST(GridStore, InsertRowOpensABlankCurrentRow) {
    VideoRegister reg;
    Fill(reg, 3);
    InsertRow(reg, 1);
    EXPECT_EQ(reg.RowCount(), 5);
    EXPECT_EQ(Names(reg), ",R1,R2,R3,");
    EXPECT_TRUE(reg.Row(1).Blank());
    EXPECT_EQ(reg.Cursor().CurRow(), 1);
    CopyRow(reg, 4, 1);
    EXPECT_EQ(Names(reg), "R3,R1,R2,R3,");
}

TEST(GridStore, ClearAndSwap) {
    VideoRegister reg;
    Fill(reg, 4);
    reg.SwapRows(1, 4);
    EXPECT_EQ(Names(reg), "R4,R2,R3,R1,");
    ClearRegister(reg);
    EXPECT_EQ(reg.RowCount(), 2);
    EXPECT_TRUE(reg.Row(1).Blank());
}

TEST(GridStore, TextPieces) {
    EXPECT_EQ(TextPiece("0720x576", "x", 1), "0720");
    EXPECT_EQ(TextPiece("0720x576", "x", 2), "576");
    EXPECT_EQ(TextPiece("0720x576", "x", 3), "");
    EXPECT_EQ(TextPiece("", "x", 1), "");
    EXPECT_EQ(TextPiece("a", "x", 0), "");
    EXPECT_EQ(PieceCount("", "x"), 1);
    EXPECT_EQ(PieceCount("a^^^b", "^^"), 2); // no overlap
}
