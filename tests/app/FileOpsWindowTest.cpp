// The file commands through the window's pop-up menu items, with the window's own bars,
// history log and break button.
#include "WindowFixture.h"

#include "app/RegisterGrid.h"
#include "controls/MyProgressBarNew.h"
#include "register/GridStore.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <sys/stat.h>

namespace {

class FileOpsWindow : public WindowTest {
protected:
    // A file of `size` bytes in the folder "src" of the scratch folder, and its row.
    void AddFile(TFrmMain& w, const std::string& name, uint64_t size) {
        namespace fs = std::filesystem;
        fs::path src = fs::path(dir_.toStdString()) / "src";
        fs::create_directories(src);
        std::ofstream(src / name, std::ios::binary) << std::string(size_t(size), 'v');
        VideoRegister& reg = w.Register();
        int row = reg.Cell(colPath, 1).empty() ? 1 : reg.RowCount();
        if (row == reg.RowCount()) reg.SetRowCount(row + 1);
        reg.SetCell(colPath, row, UpperCase(QStringToGb(dir_)) + "SRC/");
        std::string stem = name.substr(0, name.rfind('.'));
        reg.SetCell(colName, row, UpperCase(stem));
        reg.SetCell(colType, row, UpperCase(name.substr(stem.size())));
    }
    QString Target() {
        QDir().mkpath(dir_ + "dst");
        return dir_ + "dst";
    }
};

TEST_F(FileOpsWindow, CopyThroughTheMenuReportsAndRestoresTheWindow) {
    TFrmMain& w = Open();
    AddFile(w, "a.mkv", 1000);
    AddFile(w, "b.mkv", 3 * 409600 + 1);
    w.SelectAllRows();
    dialogs_.folders = {Target()};
    w.mnCopy->trigger();
    EXPECT_TRUE(QFile::exists(dir_ + "dst/A.MKV"));
    EXPECT_EQ(QFileInfo(dir_ + "dst/B.MKV").size(), 3 * 409600 + 1);
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" 成功拷贝文件 2个"));
    EXPECT_TRUE(
        w.mmHis->toPlainText().contains(QStringLiteral("文件拷贝成功:") + dir_ + "dst/B.MKV"));
    EXPECT_EQ(w.PC->currentWidget(), w.TabSheet4);
    EXPECT_TRUE(w.sg->isEnabled());
    EXPECT_FALSE(w.btnBreak->isVisible());
    EXPECT_FALSE(w.PB2Bar->isVisible());
    EXPECT_FALSE(w.PB3Bar->isVisible());
    EXPECT_TRUE(HasFile(QStringLiteral("视频登记库.vdb")));
    EXPECT_TRUE(dialogs_.errors.isEmpty());
}

TEST_F(FileOpsWindow, TheBarsAndTheLogAreCurrentWhenTheOverwriteQuestionShows) {
    TFrmMain& w = Open();
    for (const char* name : {"a.mkv", "b.mkv", "c.mkv", "d.mkv", "e.mkv"})
        AddFile(w, name, 3000);
    QFile(dir_ + "src/c.mkv").copy(Target() + "/C.MKV");
    w.SelectAllRows();
    dialogs_.folders = {Target()};
    dialogs_.answers = {IDialogs::Answer::No};
    dialogs_.onOpen = [&] {
        if (!dialogs_.calls.last().startsWith(QStringLiteral("Ask: "))) return;
        EXPECT_EQ(w.PB2Bar->PosText(),
                  QStringLiteral("60%  正在拷贝... ") + dir_.toUpper() + "SRC/C.MKV");
        EXPECT_TRUE(w.PB3Bar->isHidden()); // the copy of row 2 is over
        EXPECT_TRUE(
            w.mmHis->toPlainText().endsWith(QStringLiteral("文件拷贝成功:") + dir_ + "dst/B.MKV"));
    };
    w.mnCopy->trigger();
    EXPECT_EQ(dialogs_.answers.size(), 0u);
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" 成功拷贝文件 4个"));
}

// A database that is a pipe, a link or read-only, and a move into one of two folders whose
// names differ only in case, through the window.
TEST_F(FileOpsWindow, OddDatabasesAndCaseVariantFolders) {
    const QString db = dir_ + QStringLiteral("视频登记库.vdb");
    mkfifo(QFile::encodeName(db).constData(), 0644);
    TFrmMain& w = Open(); // would wait for a writer for good if the pipe were opened
    EXPECT_EQ(dialogs_.errors, QStringList{QStringLiteral("Stream read error")});
    QFile::remove(db);
    WriteFile(QStringLiteral("kept.vdb"), QStringLiteral("old\r\n"));
    QFile::link(QStringLiteral("kept.vdb"), db);
    w.mnReloadVDBClick(); // the database read: the commands save it again
    AddFile(w, "a.mkv", 10);
    w.SelectAllRows();
    QDir().mkpath(dir_ + "dst/videos");
    dialogs_.folders = {Target() + "/Videos"};
    QDir().mkpath(dialogs_.folders.front());
    w.mnMove->trigger();
    EXPECT_TRUE(QFile::exists(dir_ + "dst/Videos/A.MKV"));
    EXPECT_TRUE(QFileInfo(db).isSymLink());
    EXPECT_TRUE(ReadFile(QStringLiteral("kept.vdb")).contains(dir_ + "dst/Videos/^^A^^.MKV"));
    QFile::setPermissions(dir_ + "kept.vdb", QFileDevice::ReadOwner);
    w.Register().SetCell(colName, 1, "B");
    w.mnSaveVDB->trigger();
    EXPECT_EQ(dialogs_.errors.size(), 2);
    EXPECT_TRUE(ReadFile(QStringLiteral("kept.vdb")).contains(QStringLiteral("^^A^^")));
}

TEST_F(FileOpsWindow, TheBreakButtonStopsALargeCopy) {
    TFrmMain& w = Open();
    w.show();
    AddFile(w, "big.mkv", 20 * 409600);
    AddFile(w, "next.mkv", 10);
    w.SelectAllRows();
    dialogs_.folders = {Target()};
    // Pressed as soon as the copy of the large file shows its bar (a wait on the disk before
    // the first block may handle events earlier).
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, &w, [&] {
        if (!w.btnBreak->isVisible() || !w.PB3Bar->isVisible()) return;
        press.stop();
        w.btnBreak->click();
    });
    press.start(0);
    w.mnCopy->trigger();
    EXPECT_FALSE(QFile::exists(dir_ + "dst/BIG.MKV"));
    EXPECT_FALSE(QFile::exists(dir_ + "dst/NEXT.MKV"));
    EXPECT_TRUE(w.mmHis->toPlainText().contains(QStringLiteral("原文件拷贝失败:")));
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" 成功拷贝文件 0个"));
    EXPECT_TRUE(w.sg->isEnabled());
    EXPECT_FALSE(HasFile(QStringLiteral("视频登记库.vdb")));
}

TEST_F(FileOpsWindow, RenameDeleteAndOpenFolderThroughTheMenu) {
    TFrmMain& w = Open();
    AddFile(w, "a.mkv", 5);
    AddFile(w, "b.mkv", 6);
    w.SelectGridRange(colName, 1, colName, 1);
    dialogs_.inputs = {QStringLiteral("new")};
    w.mnRename->trigger();
    EXPECT_TRUE(QFile::exists(dir_ + "src/NEW.MKV"));
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" 改名成功,新文件名: NEW"));

    QList<QUrl> opened;
    w.OpenFolder = [&](const QUrl& url) {
        opened << url;
        return true;
    };
    w.mnOpenDir->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toLocalFile(), dir_ + "src/");

    w.SelectGridRange(1, 2, 11, 2);
    w.mnDelteFile->trigger();
    EXPECT_FALSE(QFile::exists(dir_ + "src/b.mkv"));
    EXPECT_EQ(w.Register().LastRow(), 1);
    EXPECT_TRUE(dialogs_.errors.isEmpty());
}

} // namespace
