#include "ExportTestSupport.h"

#include "export/CompoundFile.h"
#include "export/ExcelAutomation.h"
#include "platform/text/GbText.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {
uint32_t U32(const std::string& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

// Our own reading of the container: header, DIFAT chain, FAT, directory, and the chain of
// the one stream, checking each step against what the format demands.
std::string ReadOnlyStream(const std::string& file) {
    constexpr uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF;
    EXPECT_EQ(file.substr(0, 8), std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    EXPECT_EQ(file.size() % 512, 0u);
    auto sector = [&](uint32_t id) { return size_t(id + 1) * 512; };
    const uint32_t fatCount = U32(file, 0x2C);
    std::vector<uint32_t> fatIds;
    for (uint32_t i = 0; i < 109 && fatIds.size() < fatCount; ++i)
        fatIds.push_back(U32(file, 0x4C + 4 * i));
    uint32_t difat = U32(file, 0x44), difatCount = 0;
    while (difat != kEnd && difatCount <= U32(file, 0x48)) {
        ++difatCount;
        for (uint32_t i = 0; i < 127 && fatIds.size() < fatCount; ++i)
            fatIds.push_back(U32(file, sector(difat) + 4 * i));
        difat = U32(file, sector(difat) + 508);
    }
    EXPECT_EQ(difatCount, U32(file, 0x48));
    EXPECT_EQ(fatIds.size(), fatCount);
    std::vector<uint32_t> fat;
    for (uint32_t id : fatIds) {
        EXPECT_LT(sector(id), file.size());
        for (uint32_t i = 0; i < 128; ++i)
            fat.push_back(U32(file, sector(id) + 4 * i));
    }
    EXPECT_GE(fat.size(), file.size() / 512 - 1); // every sector mapped
    for (uint32_t id : fatIds)
        EXPECT_EQ(fat[id], 0xFFFFFFFDu);
    const size_t dir = sector(U32(file, 0x30));
    EXPECT_EQ(fat[U32(file, 0x30)], kEnd);
    EXPECT_EQ(file[dir + 0x42], 5); // root
    EXPECT_EQ(U32(file, dir + 0x4C), 1u);
    const size_t entry = dir + 128;
    EXPECT_EQ(file[entry + 0x42], 2); // stream
    std::string name;
    for (size_t i = 0; file[entry + i] != 0; i += 2)
        name += file[entry + i];
    EXPECT_EQ(name, "Workbook");
    const uint32_t size = U32(file, entry + 0x78);
    EXPECT_GE(size, 4096u); // no mini stream
    std::string stream;
    for (uint32_t id = U32(file, entry + 0x74); id != kEnd; id = fat.at(id)) {
        EXPECT_NE(id, kFree);
        if (id == kFree || stream.size() > size) break;
        stream += file.substr(sector(id), 512);
    }
    EXPECT_EQ(stream.size(), (size + 511) / 512 * 512);
    return stream.substr(0, size);
}

std::string Container(const std::string& stream) {
    std::string file;
    WriteCompoundFile(u"Workbook", stream, [&](std::string_view b) { file.append(b); });
    return file;
}
} // namespace

TEST(CompoundFile, SmallAndLargeStreamsReadBackThroughFatAndDifat) {
    const std::string small = "BIFF";
    const std::string read = ReadOnlyStream(Container(small));
    EXPECT_EQ(read.substr(0, 4), small);
    EXPECT_EQ(read.size(), 4096u); // padded so that it lives in regular sectors

    // 20 MB needs more FAT sectors than the header's 109 entries can list: DIFAT chain.
    std::string large(20'000'000, '\0');
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = char((i * 131) >> 9);
    const std::string file = Container(large);
    EXPECT_GE(U32(file, 0x48), 2u);
    EXPECT_TRUE(ReadOnlyStream(file) == large);
}

TEST(XlsWriter, SharedStringsSplitAcrossContinueRecordsReadBackExactly) {
    // Long texts of every kind cross many 8,224-byte record boundaries: one-byte strings,
    // UTF-16 strings, and surrogate pairs landing at both parities of a boundary.
    TExcelApplication app;
    app.Connect();
    auto book = app.WorkbooksAdd({}, 0);
    std::vector<QStringList> expected;
    for (int r = 0; r < 40; ++r) {
        QStringList row;
        row << QString(3000 + r * 97, QChar('a' + r % 26))
            << QString::fromUtf8("视频").repeated(900 + r * 31)
            << QString::fromUtf8("x😀").repeated(1000 + r * 53) + QString(r, 'z') << QString()
            << QString::fromUtf8("é") + QString::number(r);
        for (int c = 0; c < row.size(); ++c)
            app.CellsItemPut(r + 1, c + 1, "'" + QStringToGb(row[c]));
        expected.push_back(row);
    }
    const std::string dir = ScratchDir("sst");
    TExcelWorkbook wb;
    wb.ConnectTo(app, book);
    wb.SaveCopyAs(dir + "sst.xls", 0);
    const auto sheets = ReadXls(dir + "sst.xls", true);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].rows, expected);
    EXPECT_EQ(sheets[0].prefixed, 40 * 5);
}

TEST(XlsWriter, CellsItemPutFollowsTheSpreadsheetRules) {
    TExcelApplication app;
    EXPECT_THROW(app.CellsItemPut(1, 1, "x"), EExcelError); // not connected
    app.Connect();
    app.SetVisible(0, false);
    EXPECT_THROW(app.CellsItemPut(1, 1, "x"), EExcelError); // no workbook
    auto book = app.WorkbooksAdd({}, 0);
    app.CellsItemPut(1, 1, "plain");    // no mark: General, no prefix
    app.CellsItemPut(1, 2, "''quoted"); // only the first mark is taken off
    app.CellsItemPut(2, 3, "'first");
    app.CellsItemPut(2, 3, "'replaced"); // the same cell again
    app.CellsItemPut(2, 1, "'");         // empty text
    EXPECT_THROW(app.CellsItemPut(0, 1, "'x"), EExcelError);
    EXPECT_THROW(app.CellsItemPut(1, 257, "'x"), EExcelError);
    EXPECT_THROW(app.CellsItemPut(1, 1, "'" + std::string(32768, 'x')), EExcelError);

    TExcelWorkbook wb;
    EXPECT_THROW(wb.SaveCopyAs("/tmp/x.xls", 0), EExcelError); // not bound
    wb.ConnectTo(app, book);
    const std::string dir = ScratchDir("rules");
    wb.SaveCopyAs(dir + "r.xls", 0);
    wb.Close(false, {}, {}, 0);
    EXPECT_TRUE(app.Instance()->workbooks.empty());
    wb.Disconnect();
    app.Disconnect();
    EXPECT_FALSE(app.Connected());

    const auto sheets = ReadXls(dir + "r.xls", true);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].name, "Sheet1");
    const std::vector<QStringList> expected{{"plain", "'quoted", ""}, {"", "", "replaced"}};
    EXPECT_EQ(sheets[0].rows, expected);
    EXPECT_EQ(sheets[0].prefixed, 3); // the cells given with the mark
    EXPECT_EQ(sheets[0].notText, 2);  // C1 and B2 were never written
}
