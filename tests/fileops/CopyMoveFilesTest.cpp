#include "FileOpsFixture.h"

#include "fileops/CopyMoveFiles.h"
#include "platform/fs/FileErrors.h"
#include "support/ShortDiskDeadline.h"
#include "support/SlowShare.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

class CopyMove : public FileOpsTest {
protected:
    void SetUp() override {
        FileOpsTest::SetUp();
        src = root / "src";
        dst = root / "dst";
        fs::create_directories(src);
        fs::create_directories(dst);
        dialogs.folder = QString::fromStdString(dst.string());
    }
    // Rows 1..count for files f1..fN of the given sizes in src.
    void MakeRows(std::initializer_list<uint64_t> sizes) {
        int i = 0;
        for (uint64_t size : sizes) {
            ++i;
            MakeFile(src / ("f" + std::to_string(i) + ".mkv"), size, unsigned(i));
            AddRow(src, "F" + std::to_string(i), ".MKV");
        }
        SelectRows(1, reg.LastRow());
    }
    QString Q(const fs::path& p) const { return QString::fromStdString(p.string()); }
    QString RegQ(const fs::path& dir, const std::string& file) const {
        return GbToQString(RegDir(dir) + file);
    }
    QString DstQ(const std::string& file) const {
        return Q(dst) + "/" + QString::fromStdString(file);
    }

    fs::path src, dst;
    VolumeQueries volumes;
};

TEST_F(CopyMove, CopiesTheSelectedRowsWithHistoryStatusSaveAndRenumber) {
    MakeRows({10, kCopyBlockSize + 1, 0});
    reg.SetCell(colNumber, 2, "junk");
    AddRow(src, "OUTSIDE", ".MKV"); // not selected
    MakeFile(src / "outside.mkv", 5);
    CopySelectedFiles(ctx, volumes);

    for (int i = 1; i <= 3; ++i) {
        std::string n = std::to_string(i);
        EXPECT_EQ(ReadAll(dst / ("F" + n + ".MKV")), ReadAll(src / ("f" + n + ".mkv")));
    }
    EXPECT_FALSE(fs::exists(dst / "OUTSIDE.MKV"));
    EXPECT_EQ(shell.history, QStringList({QStringLiteral("文件拷贝成功:") + DstQ("F1.MKV"),
                                          QStringLiteral("文件拷贝成功:") + DstQ("F2.MKV"),
                                          QStringLiteral("文件拷贝成功:") + DstQ("F3.MKV")}));
    EXPECT_EQ(shell.historyCleared, 1);
    EXPECT_TRUE(shell.historyShown);
    EXPECT_EQ(shell.statusLog.back(), QStringLiteral("成功拷贝文件 3个"));
    EXPECT_EQ(shell.pb2.max, 3);
    EXPECT_EQ(shell.pb2.positions, std::vector<int>({0, 1, 2, 3}));
    EXPECT_EQ(shell.pb2.suffixes.back(), QStringLiteral("%  正在拷贝... ") + RegQ(src, "F3.MKV"));
    EXPECT_FALSE(shell.pb2.visible);
    EXPECT_FALSE(shell.locked);
    EXPECT_FALSE(shell.breakButton);
    EXPECT_EQ(reg.Cell(colNumber, 2), "    2");
    EXPECT_EQ(reg.Cell(colPath, 1), RegDir(src)); // a copy leaves the rows alone
    EXPECT_EQ(SavedLines().size(), 4u);
}

TEST_F(CopyMove, CancelledPickerMissingOrUnstorableFolderDoesNothing) {
    MakeRows({10});
    dialogs.folder = QString();
    CopySelectedFiles(ctx, volumes);
    dialogs.folder = Q(root / "nowhere");
    MoveSelectedFiles(ctx, volumes);
    EXPECT_TRUE(fs::is_empty(dst));
    EXPECT_TRUE(shell.statusLog.isEmpty());
    // A folder that no path cell can hold.
    fs::create_directories(root / "a^^b");
    dialogs.folder = Q(root / "a^^b");
    MoveSelectedFiles(ctx, volumes);
    EXPECT_EQ(shell.statusLog,
              QStringList{QStringLiteral("无法登记的文件夹名: ") + Q(root / "a^^b") + "/"});
    EXPECT_EQ(reg.Cell(colPath, 1), RegDir(src));
    EXPECT_FALSE(shell.pb2.everShown);
    EXPECT_TRUE(fs::exists(src / "f1.mkv"));
}

// The chosen folder is charged to the share it lies on, whatever its spelling: a share that
// does not answer is named, never the local disk above it.
TEST_F(CopyMove, ATargetOnAShareThatDoesNotAnswerIsChargedToTheShare) {
    ASSERT_EQ(TSlowShare::Unavailable(), "");
    MakeRows({10});
    TSlowShare share(dst.string(), (root / "Share").string(), 0, 0);
    ASSERT_TRUE(share.Mounted());
    ShortDiskDeadline deadline(300);
    share.Freeze();
    dialogs.folder = Q(root / "Share");
    CopySelectedFiles(ctx, volumes);
    EXPECT_EQ(shell.history, QStringList(QStringLiteral("位置无响应: ") + Q(root / "Share")));
}

TEST_F(CopyMove, FreeSpaceMustExceedTheTotalStrictly) {
    MakeRows({1000, 234});
    volumes.diskFree = [](std::string_view) -> uint64_t { return 1234; };
    CopySelectedFiles(ctx, volumes);
    ASSERT_EQ(dialogs.information.size(), 1);
    EXPECT_EQ(dialogs.information[0],
              QStringLiteral("磁盘空间不够：\n\r复制文件字节数：1234\n\r目标磁盘字节数：1234"));
    volumes.diskFree = [](std::string_view) -> uint64_t { return 1233; };
    CopySelectedFiles(ctx, volumes);
    EXPECT_EQ(dialogs.information.size(), 2);
    EXPECT_TRUE(fs::is_empty(dst));
    EXPECT_FALSE(shell.pb2.everShown);
    EXPECT_FALSE(shell.locked);

    std::string asked;
    volumes.diskFree = [&](std::string_view folder) -> uint64_t {
        asked = folder;
        return 1235;
    };
    CopySelectedFiles(ctx, volumes);
    EXPECT_EQ(dialogs.information.size(), 2);
    EXPECT_EQ(asked, Utf8ToGb(dst.string()) + "/");
    EXPECT_EQ(shell.statusLog.back(), QStringLiteral("成功拷贝文件 2个"));
}

TEST_F(CopyMove, MoveCountsOnlyFilesThatLeaveTheirFileSystem) {
    MakeRows({1000, 234});
    volumes.diskFree = [](std::string_view) -> uint64_t { return 1; };
    MoveSelectedFiles(ctx, volumes); // both stay on this file system: renamed, no space needed
    EXPECT_TRUE(dialogs.information.isEmpty());
    EXPECT_EQ(shell.statusLog.back(), QStringLiteral("成功移动文件 2个"));

    MakeFile(src / "f1.mkv", 1000);
    reg.SetCell(colPath, 1, RegDir(src));
    volumes.sameDrive = [](std::string_view, std::string_view) { return false; };
    SelectRows(1, 1);
    MoveSelectedFiles(ctx, volumes);
    ASSERT_EQ(dialogs.information.size(), 1);
    EXPECT_TRUE(dialogs.information[0].contains(QStringLiteral("复制文件字节数：1000")));
    EXPECT_TRUE(fs::exists(src / "f1.mkv"));
}

TEST_F(CopyMove, MissingFilesAreReportedInPreflightAndLoopButStepThePosition) {
    MakeRows({1, 2, 3, 4, 5});
    fs::remove(src / "f2.mkv");
    fs::remove(src / "f4.mkv");
    QString missing2 = QStringLiteral("文件不存在 ") + RegQ(src, "F2.MKV");
    QString missing4 = QStringLiteral("文件不存在 ") + RegQ(src, "F4.MKV");
    CopySelectedFiles(ctx, volumes);
    EXPECT_EQ(shell.statusLog, QStringList({missing2, missing4, missing2, missing4,
                                            QStringLiteral("成功拷贝文件 3个")}));
    EXPECT_EQ(shell.pb2.positions, std::vector<int>({0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(shell.history.size(), 3);
}

TEST_F(CopyMove, RowsAlreadyInTheTargetFolderArePassedOverWithoutSaving) {
    MakeRows({10, 20});
    reg.SetCell(colNumber, 1, "x");
    dialogs.folder = Q(src);
    CopySelectedFiles(ctx, volumes);
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(shell.statusLog.back(), QStringLiteral("成功拷贝文件 0个"));
    EXPECT_TRUE(SavedLines().empty());
    EXPECT_EQ(reg.Cell(colNumber, 1), "    1"); // the copy still renumbers
    EXPECT_EQ(fs::file_size(src / "f1.mkv"), 10u);
}

TEST_F(CopyMove, TheSameFileThroughALinkIsNeverDeletedNorEmptied) {
    MakeRows({4000, 5000});
    fs::create_directory_symlink(src, root / "alias");
    dialogs.folder = Q(root / "alias");
    dialogs.answers = {IDialogs::Answer::Yes, IDialogs::Answer::Yes};
    CopySelectedFiles(ctx, volumes);
    MoveSelectedFiles(ctx, volumes);
    volumes.sameDrive = [](std::string_view, std::string_view) { return false; };
    MoveSelectedFiles(ctx, volumes);
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(fs::file_size(src / "f1.mkv"), 4000u);
    EXPECT_EQ(fs::file_size(src / "f2.mkv"), 5000u);
    EXPECT_EQ(reg.Cell(colPath, 1), RegDir(src));
    EXPECT_TRUE(shell.history.isEmpty());
}

// Folders whose names differ only in case are different folders; a row that two files fit
// (one of them spelled as the register text) is refused by a move, with the history naming
// both, and the next row goes on.
TEST_F(CopyMove, CaseVariantFoldersAreToldApart) {
    const fs::path mixed = root / "Pair", upper = root / "PAIR";
    fs::create_directories(mixed);
    fs::create_directories(upper);
    MakeFile(mixed / "a.mkv", 10);
    AddRow(mixed, "A", ".MKV");
    SelectRows(1, 1);
    dialogs.folder = Q(upper);
    CopySelectedFiles(ctx, volumes);
    EXPECT_EQ(shell.statusLog.back(), QStringLiteral("成功拷贝文件 1个"));
    EXPECT_EQ(fs::file_size(upper / "A.MKV"), 10u);

    MakeFile(src / "b.mkv", 20);
    AddRow(src, "B", ".MKV");
    SelectRows(1, 2);
    fs::create_directories(dst / "Videos");
    fs::create_directories(dst / "videos");
    dialogs.folder = Q(dst / "Videos");
    MoveSelectedFiles(ctx, volumes);
    EXPECT_EQ(shell.history.first(), QStringLiteral("多个文件符合此记录，未操作: ") +
                                         Q(upper / "A.MKV") + "  " + Q(mixed / "a.mkv"));
    EXPECT_TRUE(fs::exists(mixed / "a.mkv") && fs::exists(upper / "A.MKV"));
    EXPECT_EQ(reg.Cell(colPath, 1), RegDir(mixed));
    EXPECT_EQ(fs::file_size(dst / "Videos" / "B.MKV"), 20u);
    EXPECT_TRUE(fs::is_empty(dst / "videos"));
    EXPECT_EQ(reg.Cell(colPath, 2), Utf8ToGb((dst / "Videos").string()) + "/");
}

TEST_F(CopyMove, OverwriteQuestionYesNoCancel) {
    MakeRows({11, 22, 33, 44});
    for (const char* f : {"F1.MKV", "F2.MKV", "F3.MKV", "F4.MKV"})
        MakeFile(dst / f, 1, 99);
    dialogs.answers = {IDialogs::Answer::No, IDialogs::Answer::Yes, IDialogs::Answer::Cancel};
    CopySelectedFiles(ctx, volumes);
    ASSERT_EQ(dialogs.questions.size(), 3);
    EXPECT_EQ(dialogs.questions[0],
              QStringLiteral("目标文件已经存在，是否覆盖？\n\r\n\r") + DstQ("F1.MKV"));
    EXPECT_EQ(fs::file_size(dst / "F1.MKV"), 1u); // No: that row only
    EXPECT_EQ(ReadAll(dst / "F2.MKV"), ReadAll(src / "f2.mkv"));
    EXPECT_EQ(fs::file_size(dst / "F3.MKV"), 1u); // Cancel: untouched, and the loop ends
    EXPECT_EQ(fs::file_size(dst / "F4.MKV"), 1u);
    EXPECT_EQ(shell.statusLog.back(), QStringLiteral("成功拷贝文件 1个"));
    EXPECT_EQ(shell.pb2.positions.back(), 3);
    EXPECT_TRUE(BreakFlag);
    EXPECT_EQ(SavedLines().size(), 4u);
}

TEST_F(CopyMove, BreakDuringALargeFileLogsItAsFailedAndLeavesTheRest) {
    MakeRows({100, 8 * kCopyBlockSize, 300});
    shell.onProcessEvents = [this] {
        if (shell.processed == 3) BreakFlag = true;
    };
    CopySelectedFiles(ctx, volumes);
    EXPECT_TRUE(fs::exists(dst / "F1.MKV"));
    EXPECT_FALSE(fs::exists(dst / "F2.MKV"));
    EXPECT_FALSE(fs::exists(dst / "F3.MKV"));
    EXPECT_EQ(shell.history.back(), QStringLiteral("原文件拷贝失败:") + RegQ(src, "F2.MKV"));
    EXPECT_EQ(shell.statusLog.back(), QStringLiteral("成功拷贝文件 1个"));
    EXPECT_EQ(shell.pb2.positions.back(), 2);
    EXPECT_FALSE(shell.locked);
    EXPECT_EQ(SavedLines().size(), 3u);
}

TEST_F(CopyMove, MoveOnOneFileSystemRenamesToTheUpperCaseName) {
    MakeRows({10, 20});
    fs::path sub = dst / "Sub";
    fs::create_directories(sub);
    dialogs.folder = Q(sub);
    MoveSelectedFiles(ctx, volumes);
    EXPECT_FALSE(shell.pb3.everShown);
    EXPECT_EQ(fs::file_size(sub / "F1.MKV"), 10u);
    EXPECT_EQ(fs::file_size(sub / "F2.MKV"), 20u);
    EXPECT_FALSE(fs::exists(src / "f1.mkv"));
    std::string chosen = Utf8ToGb(sub.string()) + "/"; // as chosen, not upper-cased
    EXPECT_EQ(reg.Cell(colPath, 1), chosen);
    EXPECT_EQ(reg.Cell(colPath, 2), chosen);
    EXPECT_EQ(reg.Cell(colNumber, 1), "    1");
    QString target1 = GbToQString(UpperCase(chosen)) + "F1.MKV";
    EXPECT_EQ(shell.history.first(), QStringLiteral("复制成功:") + target1);
    EXPECT_EQ(shell.pb2.suffixes.first(), QStringLiteral("%  正在移动... ") + RegQ(src, "F1.MKV"));
    ASSERT_EQ(SavedLines().size(), 2u);
    EXPECT_TRUE(SavedLines()[0].find(chosen) != std::string::npos);
}

TEST_F(CopyMove, ARenameThatFailsInARunOfRenamesLeavesItsRowAndTheRestGoOn) {
    MakeRows({10, 20, 30});
    reg.SetCell(colName, 2, "F1"); // moved away by row 1 before row 2's turn
    MoveSelectedFiles(ctx, volumes);
    EXPECT_EQ(shell.history, QStringList({QStringLiteral("复制成功:") + RegQ(dst, "F1.MKV"),
                                          QStringLiteral("复制成功:") + RegQ(dst, "F3.MKV")}));
    EXPECT_EQ(reg.Cell(colPath, 2), RegDir(src));
    EXPECT_EQ(reg.Cell(colPath, 3), reg.Cell(colPath, 1));
    EXPECT_EQ(fs::file_size(dst / "F3.MKV"), 30u);
}

TEST_F(CopyMove, MoveThatThePlatformRefusesKeepsTheRow) {
    MakeRows({10});
    fs::create_directory(dst / "F1.MKV"); // a folder in the way; not a file to overwrite
    MoveSelectedFiles(ctx, volumes);
    EXPECT_EQ(shell.history,
              QStringList({QStringLiteral("--原文件移动失败:") + RegQ(src, "F1.MKV")}));
    EXPECT_EQ(reg.Cell(colPath, 1), RegDir(src));
    EXPECT_TRUE(fs::exists(src / "f1.mkv"));
    EXPECT_TRUE(SavedLines().empty());
}

TEST_F(CopyMove, MoveAcrossFileSystemsDeletesReadOnlySourcesAfterTheCopy) {
    struct stat here, shm;
    bool realOther = stat("/dev/shm", &shm) == 0 && stat(root.c_str(), &here) == 0 &&
                     shm.st_dev != here.st_dev && access("/dev/shm", W_OK) == 0;
    fs::path other =
        realOther ? fs::path("/dev/shm") / ("tavlora_fileops_" + std::to_string(getpid())) : dst;
    if (!realOther) volumes.sameDrive = [](std::string_view, std::string_view) { return false; };
    fs::create_directories(other);
    dialogs.folder = Q(other);
    MakeRows({2 * kCopyBlockSize + 9, 77});
    std::string content1 = ReadAll(src / "f1.mkv");
    fs::permissions(src / "f1.mkv", fs::perms::owner_read | fs::perms::group_read);
    MoveSelectedFiles(ctx, volumes);

    EXPECT_EQ(ReadAll(other / "F1.MKV"), content1);
    EXPECT_EQ(fs::file_size(other / "F2.MKV"), 77u);
    EXPECT_FALSE(fs::exists(src / "f1.mkv"));
    EXPECT_FALSE(fs::exists(src / "f2.mkv"));
    EXPECT_TRUE(shell.pb3.everShown);
    QString otherQ = GbToQString(UpperCase(Utf8ToGb(other.string()))) + "/";
    EXPECT_EQ(shell.history,
              QStringList({QStringLiteral("复制成功:") + otherQ + "F1.MKV",
                           QStringLiteral("原文件删除成功:") + RegQ(src, "F1.MKV"),
                           QStringLiteral("复制成功:") + otherQ + "F2.MKV",
                           QStringLiteral("原文件删除成功:") + RegQ(src, "F2.MKV")}));
    EXPECT_EQ(reg.Cell(colPath, 2), Utf8ToGb(other.string()) + "/");
    if (realOther) fs::remove_all(other);
}

TEST_F(CopyMove, FailedCrossVolumeMoveKeepsSourceAndRowAndSavesEarlierMoves) {
    volumes.sameDrive = [](std::string_view, std::string_view) { return false; };
    MakeRows({1000, 3 * kCopyBlockSize});
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = kCopyBlockSize;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(MoveSelectedFiles(ctx, volumes), EFileError);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(fs::file_size(src / "f2.mkv"), 3 * kCopyBlockSize);
    EXPECT_FALSE(fs::exists(dst / "F2.MKV"));
    EXPECT_EQ(reg.Cell(colPath, 2), RegDir(src));
    EXPECT_EQ(reg.Cell(colPath, 1), Utf8ToGb(dst.string()) + "/");
    EXPECT_FALSE(shell.locked);
    EXPECT_FALSE(shell.breakButton);
    EXPECT_FALSE(shell.pb2.visible);
    ASSERT_EQ(SavedLines().size(), 2u); // the first move is on record
    EXPECT_TRUE(SavedLines()[0].find(Utf8ToGb(dst.string())) != std::string::npos);
}

} // namespace
