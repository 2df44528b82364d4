#include "ExportTestSupport.h"

#include "export/TextExport.h"
#include "platform/fs/FileErrors.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <gtest/gtest.h>

namespace {
const std::string kTextName = "视频文件登记列表.txt";

int Count(const std::string& s, std::string_view what) {
    int n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + what.size()))
        ++n;
    return n;
}
} // namespace

TEST(TextExport, WritesOneTabbedCrLfLinePerDataRowInGb18030) {
    const std::string dir = ScratchDir("文本导出");
    VideoRegister reg;
    FillRegister(reg, 3);
    reg.SetCell(colName, 2, Utf8ToGb("  星澜 影片 "));
    reg.SetCell(colStars, 3, Utf8ToGb("张三𠀀")); // a character outside GBK: 4 GB18030 bytes
    FakeShell shell;
    ExportTextCommand(reg, Utf8ToGb(dir), shell);

    const std::string text = ReadBytes(dir + kTextName);
    EXPECT_EQ(Count(text, "\r\n"), 3);
    EXPECT_EQ(Count(text, "\n"), 3);
    EXPECT_EQ(Count(text, "\t"), 36);
    EXPECT_EQ(text.substr(0, 8), "    1\t1-");
    EXPECT_EQ(text.substr(text.size() - 3), "\t\r\n");
    // Cells as stored: GB18030 bytes, blanks kept, no BOM, no header row.
    EXPECT_NE(text.find("\t" + Utf8ToGb("  星澜 影片 ") + "\t"), std::string::npos);
    EXPECT_NE(text.find("\t\xD5\xC5\xC8\xFD\x95\x32\x82\x36\t\r\n"), std::string::npos);
    EXPECT_EQ(text.find(Utf8ToGb("路径")), std::string::npos);
    EXPECT_EQ(shell.status[1], QString::fromUtf8("输出登记库文本文件完成：") +
                                   QString::fromStdString(dir + kTextName));
}

TEST(TextExport, BlankRegisterGivesOneLineOfTabsAndASecondExportReplacesTheFirst) {
    const std::string dir = ScratchDir("replace");
    FakeShell shell;
    VideoRegister big;
    FillRegister(big, 50);
    ExportTextCommand(big, dir, shell);
    VideoRegister blank; // the header and one blank row
    ExportTextCommand(blank, dir, shell);
    EXPECT_EQ(ReadBytes(dir + kTextName), std::string(12, '\t') + "\r\n");
}

TEST(TextExport, FailedWriteThrowsCreateErrorAndKeepsTheStatusLine) {
    FakeShell shell;
    VideoRegister reg;
    FillRegister(reg, 2);
    const std::string dir = ScratchDir("fail") + "missing/";
    try {
        ExportTextCommand(reg, dir, shell);
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_EQ(
            std::string(e.what()).rfind("Cannot create file \"" + dir + kTextName + "\". ", 0), 0u)
            << e.what();
    }
    EXPECT_TRUE(shell.status.empty());
}
