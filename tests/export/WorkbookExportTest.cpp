#include "ExportTestSupport.h"

#include "export/WorkbookExport.h"
#include "platform/fs/FileErrors.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {
const std::string kXlsName = "视频文件登记列表.xls";

struct WorkbookExport : ::testing::Test {
    FakeShell shell;
    TExcelApplication app;
    TExcelWorkbook book;
    VideoRegister reg;

    void ExpectClosedDown() {
        EXPECT_FALSE(shell.pb2.visible);
        EXPECT_FALSE(shell.pb3.visible);
        EXPECT_FALSE(shell.breakButton);
        EXPECT_FALSE(app.Connected());
        EXPECT_FALSE(book.Connected());
    }
};
} // namespace

TEST_F(WorkbookExport, ThreeRowsGiveFourTextRowsOfTwelveColumns) {
    const std::string dir = ScratchDir("表格");
    std::filesystem::path old = dir + kXlsName;
    { std::ofstream(old) << "an earlier export"; }
    FillRegister(reg, 3);
    reg.SetCell(colPath, 1, Utf8ToGb("/媒体/电影/"));
    reg.SetCell(colSize, 1, "0001,234,567");
    reg.SetCell(colName, 2, "'quoted name");
    reg.SetCell(colYear, 2, "");
    reg.SetCell(colStars, 3, Utf8ToGb(" 张三 李四 "));
    ExportWorkbookCommand(reg, Utf8ToGb(dir), shell, app, book);

    const auto sheets = ReadXls(dir + kXlsName, true);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].nrows, 4);
    EXPECT_EQ(sheets[0].ncols, 12);
    EXPECT_EQ(sheets[0].rows, RegisterRows(reg, 0, 3)); // header, blanks, zeros, Chinese
    EXPECT_EQ(sheets[0].rows[1][0], "    1");
    EXPECT_EQ(sheets[0].notText, 0);
    EXPECT_EQ(sheets[0].prefixed, 48);
    EXPECT_EQ(shell.status[1], QString::fromUtf8("输出登记库电子表格完成：") +
                                   QString::fromStdString(dir + kXlsName));
    EXPECT_EQ(shell.pb2.max, 3);
    EXPECT_EQ(shell.pb3.max, 11);
    EXPECT_EQ(shell.pb3.suffix, "%");
    EXPECT_TRUE(shell.pb2.everShown && shell.pb3.everShown && shell.breakButtonShown);
    ExpectClosedDown();
}

TEST_F(WorkbookExport, BreakSavesThePartialWorkbookAndReportsCompletion) {
    const std::string dir = ScratchDir("break");
    FillRegister(reg, 20);
    BreakFlag = true; // an old break must not stop the new export
    shell.onProcessEvents = [&] {
        if (shell.processed == 5) BreakFlag = true; // the break button clicked
    };
    EXPECT_TRUE(ExportRegisterToWorkbook(reg, Utf8ToGb(dir + kXlsName), shell, app, book, 0));
    EXPECT_EQ(shell.processed, 5);
    EXPECT_EQ(shell.pb2.position, 1);
    EXPECT_EQ(shell.pb2.suffix, QString::fromUtf8("%  处理行：1"));
    EXPECT_EQ(shell.pb3.position, 5);
    ExpectClosedDown();

    const auto sheets = ReadXls(dir + kXlsName, true);
    ASSERT_EQ(sheets.size(), 1u);
    ASSERT_EQ(sheets[0].rows.size(), 1u);
    EXPECT_EQ(sheets[0].rows[0], RegisterRows(reg, 0, 0)[0].mid(0, 5));
}

// A cell longer than a workbook cell holds is cut there, never inside a surrogate pair, and
// the export goes on; a failure leaves the previous workbook as it was.
TEST_F(WorkbookExport, LongCellsAreCutAndAFailureKeepsThePreviousWorkbook) {
    const std::string dir = ScratchDir("long");
    FillRegister(reg, 3);
    reg.SetCell(colPath, 2, std::string(32766, 'A') + Utf8ToGb("😀") + "TAIL");
    reg.SetCell(colName, 2, std::string(40000, 'B'));
    ExportWorkbookCommand(reg, Utf8ToGb(dir), shell, app, book);
    const auto sheets = ReadXls(dir + kXlsName, true);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].rows[2][colPath], QString(32766, 'A'));
    EXPECT_EQ(sheets[0].rows[2][colName], QString(32767, 'B'));
    EXPECT_EQ(sheets[0].rows[3], RegisterRows(reg, 3, 3)[0]);
    EXPECT_EQ(shell.history,
              QStringList(QString::fromUtf8("单元格超过32767个字符，已截断输出: 第 2 行")));

    const std::string before = ReadBytes(dir + kXlsName);
    shell.onProcessEvents = [] { throw std::runtime_error("the failure"); };
    EXPECT_THROW(ExportWorkbookCommand(reg, Utf8ToGb(dir), shell, app, book), std::runtime_error);
    EXPECT_EQ(ReadBytes(dir + kXlsName), before);
    ExpectClosedDown();
}

TEST_F(WorkbookExport, ProgressShowsRowsAndColumnsAndEventsAreThrottled) {
    const std::string dir = ScratchDir("progress");
    FillRegister(reg, 2);
    std::vector<QString> suffixes;
    shell.onProcessEvents = [&] { suffixes.push_back(shell.pb2.suffix); };
    ExportRegisterToWorkbook(reg, Utf8ToGb(dir + kXlsName), shell, app, book, 0);
    ASSERT_EQ(suffixes.size(), 36u); // every cell when unthrottled
    EXPECT_EQ(suffixes[35], QString::fromUtf8("%  处理行：3"));
    EXPECT_EQ(shell.pb2.position, 3);
    EXPECT_EQ(shell.pb3.position, 12);

    FakeShell throttled;
    FillRegister(reg, 3000);
    ExportRegisterToWorkbook(reg, Utf8ToGb(dir + kXlsName), throttled, app, book);
    EXPECT_GE(throttled.processed, 1);
    EXPECT_LT(throttled.processed, 3000);
}

TEST_F(WorkbookExport, SeventyThousandRowsContinueOnASecondSheetOverSevenMegabytes) {
    const std::string dir = ScratchDir("large");
    FillRegister(reg, 70000, [](int c, int r) {
        if (c == colNumber) return PadLeft(std::to_string(r), ' ', 5);
        if (c == colPath) return Utf8ToGb("/视频/第" + std::to_string(r % 97) + "盘/");
        return Utf8ToGb("名" + std::to_string(r * 12 + c));
    });
    ExportWorkbookCommand(reg, dir, shell, app, book);
    EXPECT_GT(std::filesystem::file_size(dir + kXlsName), 7u << 20);

    const auto sheets = ReadXls(dir + kXlsName, false);
    ASSERT_EQ(sheets.size(), 2u);
    EXPECT_EQ(sheets[0].name, "Sheet1");
    EXPECT_EQ(sheets[0].nrows, 65536);
    EXPECT_EQ(sheets[0].sha1, RowsDigest(RegisterRows(reg, 0, 65535)));
    EXPECT_EQ(sheets[1].name, "Sheet1 (2)");
    EXPECT_EQ(sheets[1].nrows, 1 + 70000 - 65535);
    auto second = RegisterRows(reg, 0, 0);
    for (auto& row : RegisterRows(reg, 65536, 70000))
        second.push_back(row);
    EXPECT_EQ(sheets[1].sha1, RowsDigest(second));
    EXPECT_EQ(sheets[0].notText + sheets[1].notText, 0);
}

TEST_F(WorkbookExport, FailedSaveReportsCreateErrorLeavesNoFileAndReleasesTheWorkbook) {
    const std::string dir = ScratchDir("nosave") + "missing/";
    FillRegister(reg, 3);
    try {
        ExportWorkbookCommand(reg, dir, shell, app, book);
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + dir + kXlsName + "\". ", 0),
                  0u)
            << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(dir));
    EXPECT_TRUE(shell.status.empty());
    ExpectClosedDown();
}

TEST_F(WorkbookExport, CommandsUsedDuringTheExportDoNotDisturbIt) {
    const std::string dir = ScratchDir("reentry");
    FillRegister(reg, 6);
    shell.onProcessEvents = [&] {
        if (shell.processed == 1) { // the export command again: ignored while one runs
            EXPECT_FALSE(
                ExportRegisterToWorkbook(reg, Utf8ToGb(dir + kXlsName), shell, app, book, 0));
        }
        if (shell.processed == 30) reg.SetRowCount(3); // rows 3 to 6 removed meanwhile
    };
    EXPECT_TRUE(ExportRegisterToWorkbook(reg, Utf8ToGb(dir + kXlsName), shell, app, book, 0));
    const auto sheets = ReadXls(dir + kXlsName, true);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].nrows, 3); // the header, row 1 and row 2 (in full)
    EXPECT_EQ(sheets[0].ncols, 12);
    EXPECT_EQ(sheets[0].rows[2], RegisterRows(reg, 2, 2)[0]);
    ExpectClosedDown();
}
