#include "maintenance/InsertFiles.h"
#include "TestRegister.h"
#include "platform/text/GbText.h"
#include "register/NewRecord.h"
#include "support/FakeDialogs.h"
#include "support/FakeShell.h"
#include "support/ShortDiskDeadline.h"
#include "support/SlowShare.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(InsertFiles, FilesGoInReverseOrderAtTheCurrentRow) {
    VideoRegister reg;
    std::vector<std::vector<std::string>> rows;
    for (int r = 1; r <= 5; ++r)
        rows.push_back({"", "/OLD/", "R" + std::to_string(r), ".AVI"});
    SetRows(reg, rows);
    reg.Cursor().SetCurrent(2, 4);
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
    EXPECT_EQ(reg.Cursor().CurRow(), 4);
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

// The folder the dialog would open by itself is asked first, off the UI thread: one on a
// share that does not answer gives way to the home folder, and the history says why.
TEST(InsertFiles, TheDialogOpensInTheLastFolderOnlyWhenItAnswers) {
    ASSERT_EQ(TSlowShare::Unavailable(), "");
    TempDir dir;
    dir.MakeDir("Nas/Films");
    const QString films = QString::fromStdString(dir.Path() + "Mnt/Films");
    TSlowShare share(dir.Path() + "Nas", dir.Path() + "Mnt", 0, 0);
    ASSERT_TRUE(share.Mounted());
    ShortDiskDeadline deadline(300);
    VideoRegister reg;
    SetRows(reg, {});
    FakeShell shell;
    FakeDialogs dialogs;
    dialogs.files = {{}, {}};
    dialogs.lastOpenFolder = films;
    InsertFromOpenDialog(reg, shell, dialogs);
    share.Freeze();
    InsertFromOpenDialog(reg, shell, dialogs);
    EXPECT_EQ(dialogs.starts, QStringList({films, QDir::homePath()}));
    EXPECT_EQ(shell.history.back(), QStringLiteral("上次的文件夹无响应，从主文件夹打开: ") + films);
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
    reg.Cursor().SetCurrent(1, 1);
    FakeShell shell;
    // A name ending in a caret would read back with the caret moved into the type cell; a
    // character whose second byte is a caret (乛 頭) is a whole character.
    const std::vector<std::pair<QString, QString>> refused{{"/v/a^^b.avi", "含有“^^”"},
                                                           {"/v/line\nbreak.avi", "含有换行"},
                                                           {"/v/cr\r.avi", "含有换行"},
                                                           {"/v/x^.rmvb", "以“^”结尾"},
                                                           {"/v/noext^", "以“^”结尾"}};
    QStringList files{"/v/ok.avi", "/v/^a^/^b.avi", "/v/乛.avi", "/v/喋血街頭.mkv",
                      "/v/過江龍^頭.mkv"};
    for (const auto& [name, reason] : refused)
        files << name;
    InsertFileRecords(reg, shell, files);
    std::vector<std::string> names{"過江龍^頭", "喋血街頭", "乛", "^B", "OK", "KEEP"};
    for (std::string& name : names)
        name = Utf8ToGb(name);
    EXPECT_EQ(Column(reg, 2), names);
    EXPECT_EQ(shell.status[1], QStringLiteral("共加入记录 5 条"));
    QStringList expected;
    for (const auto& [name, reason] : refused)
        expected << QStringLiteral("无法登记的文件名: ") + name + "（" + reason + "）";
    EXPECT_EQ(shell.history, expected);
}
