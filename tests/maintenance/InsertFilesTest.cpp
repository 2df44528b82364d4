#include "maintenance/InsertFiles.h"
#include "FakeShell.h"
#include "TestRegister.h"
#include "platform/GbText.h"
#include "register/NewRecord.h"
#include "support/FakeDialogs.h"

#include <gtest/gtest.h>

TEST(InsertFiles, FilesGoInReverseOrderAtTheCurrentRow) {
    VideoRegister reg;
    std::vector<std::vector<std::string>> rows;
    for (int r = 1; r <= 5; ++r)
        rows.push_back({"", "/OLD/", "R" + std::to_string(r), ".AVI"});
    SetRows(reg, rows);
    reg.SetCurrent(2, 4);
    FakeShell shell;
    FakeDialogs dialogs;
    dialogs.files.push_back({"/v/A.rmvb", "/v/B.avi", "/v/C.mkv"});
    InsertFromOpenDialog(reg, shell, dialogs);
    ASSERT_EQ(dialogs.calls.size(), 1);
    EXPECT_TRUE(dialogs.calls[0].startsWith(
        QStringLiteral("OpenFiles: 选择视频文件 | 常见视频文件 (*.rmvb *.rm *.dat *.mpg")));
    EXPECT_TRUE(dialogs.calls[0].endsWith(QStringLiteral("*.wmv);;所有文件 (*)")));
    EXPECT_EQ(Column(reg, 2),
              (std::vector<std::string>{"R1", "R2", "R3", "C", "B", "A", "R4", "R5"}));
    EXPECT_EQ(reg.Cell(0, 8), "    8");
    EXPECT_EQ(reg.CurRow(), 4);
    EXPECT_EQ(shell.status[1], QStringLiteral("共加入记录 3 条"));
}

TEST(InsertFiles, BlankRowIsFilledAndCancelChangesNothing) {
    VideoRegister reg;
    SetRows(reg, {});
    FakeShell shell;
    FakeDialogs dialogs;
    dialogs.files.push_back({}); // cancelled
    InsertFromOpenDialog(reg, shell, dialogs);
    EXPECT_TRUE(shell.status.empty());
    EXPECT_EQ(reg.LastRow(), 1);

    dialogs.files.push_back({"/v/One.avi"});
    InsertFromOpenDialog(reg, shell, dialogs);
    EXPECT_EQ(reg.LastRow(), 1);
    EXPECT_EQ(reg.Cell(2, 1), "ONE");
    // The same file picked again is registered again.
    dialogs.files.push_back({"/v/One.avi"});
    InsertFromOpenDialog(reg, shell, dialogs);
    EXPECT_EQ(Column(reg, 2), (std::vector<std::string>{"ONE", "ONE"}));
}

TEST(InsertFiles, RecordCellsFollowTheUpperCasedPath) {
    VideoRegister reg;
    SetRows(reg, {});
    FakeShell shell;
    InsertFileRecords(reg, shell,
                      {"/d/films/Movie.Part1.rmvb", QStringLiteral("/d/电影/noext"), "/d/.hidden"});
    EXPECT_EQ(RowToLine(reg, 3),
              "    3^^/D/FILMS/^^MOVIE.PART1^^.RMVB^^^^^^^^" + Utf8ToGb("右声道") + "^^1^^^^^^^^");
    EXPECT_EQ(reg.Cell(1, 2), Utf8ToGb("/D/电影/"));
    EXPECT_EQ(reg.Cell(2, 2), "NOEXT");
    EXPECT_EQ(reg.Cell(3, 2), "");
    EXPECT_EQ(reg.Cell(2, 1), "");
    EXPECT_EQ(reg.Cell(3, 1), ".HIDDEN");
}

TEST(InsertFiles, NamesTheRegisterCannotStoreAreRefusedAndNotCounted) {
    VideoRegister reg;
    SetRows(reg, {{"", "/A/", "KEEP", ".AVI"}});
    reg.SetCurrent(1, 1);
    FakeShell shell;
    // A name ending in a caret, or in a GBK character whose last byte is one (乛), would read
    // back with the caret moved into the type cell.
    const QStringList refused{"/v/a^^b.avi", "/v/line\nbreak.avi",        "/v/cr\r.avi",
                              "/v/x^.rmvb",  QStringLiteral("/v/乛.avi"), "/v/noext^"};
    InsertFileRecords(reg, shell, QStringList{"/v/ok.avi", "/v/^a^/^b.avi"} + refused);
    EXPECT_EQ(Column(reg, 2), (std::vector<std::string>{"^B", "OK", "KEEP"}));
    EXPECT_EQ(shell.status[1], QStringLiteral("共加入记录 2 条"));
    QStringList expected;
    for (const QString& name : refused)
        expected << QStringLiteral("无法登记的文件名: ") + name;
    EXPECT_EQ(shell.history, expected);
}
