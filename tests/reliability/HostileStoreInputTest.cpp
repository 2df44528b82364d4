// Hostile database, settings and list files: binary garbage, NUL bytes, huge lines, huge
// separator runs, invalid GB18030 and broken settings structure load without harm, as the
// line format says, and a save gives the bytes back wherever the format can hold them.
#include "platform/text/GbText.h"
#include "register/GridStore.h"
#include "register/IniFile.h"
#include "register/ListFiles.h"
#include "register/StorableCell.h"
#include "register/utPublic.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// The database file the register holds now, as SaveRegister writes it.
std::string SavedBytes(VideoRegister& reg, const TempDir& t) {
    SaveRegister(reg, t.Gb("saved.vdb"));
    return t.Read("saved.vdb");
}

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = char(gen());
    return s;
}

// Random bytes in which separators, carets, line ends, NUL and broken GB18030 are common.
std::string Garbage(size_t n, unsigned seed) {
    static const char alphabet[] = {'^', '^', '^',    '\n',   '\r',   '\0',
                                    'a', 'Z', '\x81', '\xFF', '\xD3', '\x30'};
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = alphabet[gen() % sizeof alphabet];
    return s;
}

} // namespace

TEST(HostileDatabase, BinaryGarbageLoadsOneRowPerLineAndSavesItsCellsBack) {
    TempDir t;
    std::string garbage = Garbage(3 << 20, 7) + RandomBytes(1 << 20, 8);
    size_t lines = size_t(std::count(garbage.begin(), garbage.end(), '\n'));
    if (garbage.back() != '\n') ++lines;
    t.Write("g.vdb", garbage);
    VideoRegister reg;
    LoadRegister(reg, t.Gb("g.vdb"));
    ASSERT_EQ(size_t(reg.LastRow()), lines);

    // A reload of the save gives every row back, except those with a cell that the cell rule
    // refuses for more than a carriage return inside the line: the format moves such texts.
    SavedBytes(reg, t);
    VideoRegister back;
    LoadRegister(back, t.Gb("saved.vdb"));
    ASSERT_EQ(back.LastRow(), reg.LastRow());
    int same = 0, holdable = 0, filled = 0;
    for (int r = 1; r <= reg.LastRow(); ++r) {
        bool caret = false, equal = true;
        for (int c = 1; c < 12; ++c) {
            const CellFault fault = CellFaultOf(reg.Cell(c, r));
            caret |= fault != CellFault::None && fault != CellFault::LineBreak &&
                     fault != CellFault::Tab;
            equal &= back.Cell(c, r) == reg.Cell(c, r);
            filled += !reg.Cell(c, r).empty();
        }
        holdable += !caret;
        same += !caret && equal;
    }
    EXPECT_EQ(same, holdable);
    EXPECT_GT(filled, reg.LastRow() / 4); // the garbage did reach the cells
    for (int r = 1; r <= std::min(reg.LastRow(), 500); ++r)
        EXPECT_FALSE(GbToQString(RowToLine(reg, r)).isNull());
}

TEST(HostileDatabase, NulBytesAndInvalidGb18030StayAsTheyAre) {
    TempDir t;
    const std::string cell1("A\0B", 3), cell2 = "\x81\xFF\x80\xFE", cell3 = "\xD3";
    // Saved before separators were read by characters: cell2's last byte would take the
    // caret after it, so the line is read by bytes.
    std::string line = "1^^" + cell1 + "^^" + cell2 + "^^" + cell3 + std::string(18, '^');
    t.Write("n.vdb", line + "\r\n" + line);
    VideoRegister reg;
    LoadRegister(reg, t.Gb("n.vdb"));
    ASSERT_EQ(reg.LastRow(), 2);
    for (int r = 1; r <= 2; ++r) {
        EXPECT_EQ(reg.Cell(1, r), cell1);
        EXPECT_EQ(reg.Cell(2, r), cell2);
        EXPECT_EQ(reg.Cell(3, r), cell3);
    }
    std::string expected =
        "    1^^" + cell1 + "^^" + cell2 + "^^" + cell3 + std::string(18, '^') + "\r\n";
    EXPECT_EQ(SavedBytes(reg, t), expected + "    2" + expected.substr(5));
    EXPECT_EQ(GbToQString(cell2).size(), 4); // each invalid byte shows as one replacement mark
}

TEST(HostileDatabase, TenMegabyteLinesAndAHundredThousandSeparators) {
    TempDir t;
    const std::string big(10 << 20, 'Z');
    std::string seps;
    for (int i = 0; i < 100000; ++i)
        seps += "S" + std::to_string(i) + "^^";
    // A 10 MB cell, a 10 MB line without separators, a line of 100,000 pieces, and a last
    // 10 MB line without line end.
    t.Write("big.vdb", "1^^" + big + "^^X^^\r\n" + big + "\n" + seps + "\r\n" + big);
    VideoRegister reg;
    LoadRegister(reg, t.Gb("big.vdb"));
    ASSERT_EQ(reg.LastRow(), 4);
    EXPECT_EQ(reg.Cell(1, 1).size(), big.size());
    EXPECT_EQ(reg.Cell(2, 1), "X");
    EXPECT_EQ(reg.Cell(0, 2), "    2");
    EXPECT_EQ(reg.Cell(1, 2), "");
    EXPECT_EQ(reg.Cell(11, 3), "S11");
    EXPECT_EQ(PieceCount(RowToLine(reg, 3), "^^"), 13);
    EXPECT_EQ(reg.Cell(0, 4), "    4");
    // Only the number cell of a line without separators is kept (renumbering replaces it).
    std::string saved = SavedBytes(reg, t);
    EXPECT_EQ(saved.size(),
              4 * (5 + 24 + 2) + big.size() + 1 + std::string("S1S2S3S4S5S6S7S8S9S10S11").size());
}

TEST(HostileDatabase, CrLfSplitAcrossTheReadBlockBoundary) {
    TempDir t;
    // The first line ends exactly where the reader's first 1 MiB block ends, the CR in the
    // block and the LF in the next; the same for the list file's CR LF.
    const size_t block = 1 << 20;
    std::string first(block - 1, 'a');
    first.replace(0, 3, "1^^");
    t.Write("edge.vdb", first + "\r\n" + "2^^B^^\r\n");
    VideoRegister reg;
    LoadRegister(reg, t.Gb("edge.vdb"));
    ASSERT_EQ(reg.LastRow(), 2);
    EXPECT_EQ(reg.Cell(1, 1).size(), block - 4);
    EXPECT_EQ(reg.Cell(1, 2), "B");

    t.Write("edge.txt", std::string(block - 1, 'p') + "\r\n" + "q\r" + "\r\n");
    auto items = ReadListFile(t.Gb("edge.txt"));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].size(), block - 1);
    EXPECT_EQ(items[1], "q");
    EXPECT_EQ(items[2], "");
}

TEST(HostileSettings, DuplicateSectionsAndKeysTheFirstWinsAndIsTheOneWritten) {
    TempDir t;
    const std::string ini = t.Gb("s.ini");
    t.Write("s.ini",
            "[START]\r\nedCont=one\r\nEDCONT=two\r\n[start]\r\nedCont=three\r\nSoundLevel=9\r\n");
    EXPECT_EQ(IniReadString(ini, "START", "edCont"), "one");
    EXPECT_EQ(IniReadStringDef(ini, "START", "SoundLevel", "d"), "d"); // only in the second
    IniWriteString(ini, "START", "edCont", "new");
    IniWriteString(ini, "START", "SoundLevel", "5");
    EXPECT_EQ(t.Read("s.ini"), "[START]\r\nedCont=new\r\nEDCONT=two\r\nSoundLevel=5\r\n"
                               "[start]\r\nedCont=three\r\nSoundLevel=9\r\n");
}

TEST(HostileSettings, NoLineEndsNulBytesAndMegabyteValues) {
    TempDir t;
    const std::string ini = t.Gb("s.ini");
    t.Write("s.ini", "[START]");
    IniWriteString(ini, "START", "edCont", "x");
    EXPECT_EQ(t.Read("s.ini"), "[START]\r\nedCont=x\r\n");

    t.Write("s.ini", std::string("[START]\r\nedCont=a\0b\r\nSoundLevel=7", 33));
    EXPECT_EQ(IniReadString(ini, "START", "edCont"), std::string("a\0b", 3));
    EXPECT_EQ(IniReadString(ini, "START", "SoundLevel"), "7");

    std::string mega(1 << 20, 'v');
    mega[1000] = ' ';
    IniWriteString(ini, "START", "edCont", mega);
    EXPECT_EQ(IniReadString(ini, "START", "edCont"), mega);
    EXPECT_EQ(IniReadString(ini, "START", "SoundLevel"), "7");

    t.Write("s.ini", RandomBytes(1 << 20, 3)); // garbage: reads as missing, a write appends
    EXPECT_EQ(IniReadStringDef(ini, "START", "edCont", "d"), "d");
    IniWriteString(ini, "START", "edCont", "ok");
    EXPECT_EQ(IniReadString(ini, "START", "edCont"), "ok");
}

TEST(HostileLists, HundredThousandItemsNulBytesAndInvalidText) {
    TempDir t;
    std::vector<std::string> items;
    for (int i = 0; i < 100000; ++i)
        items.push_back(i % 3 == 0 ? std::string("\x81\0\xFF", 3) : "/D" + std::to_string(i) + "/");
    WriteListFile(t.Gb("l.txt"), items);
    EXPECT_EQ(ReadListFile(t.Gb("l.txt")), items);
}

TEST(HostileText, ScreenAndDiskConversionsAgree) {
    // Codes that Qt's codec and glibc map to different code points: the screen must show
    // the character that the file system gets, and an edit on screen must keep the bytes.
    for (std::string gb : {"\xFE\x67", "\xFE\x51", "\xA6\xD9", "\xFE\x6C", "A\xB0\x61"}) {
        SCOPED_TRACE(gb);
        const std::string utf8 = GbToUtf8(gb);
        EXPECT_EQ(GbToQString(gb), QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
        EXPECT_EQ(QStringToGb(GbToQString(gb)), gb);
    }
}
