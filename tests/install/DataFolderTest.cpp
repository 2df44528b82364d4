// Where the data files live: beside a program file the user may write to, else in the
// user's own data folder.
#include "platform/Paths.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

TEST(DataFolder, PortableCopyKeepsItsFilesBesideTheProgram) {
    TempDir t;
    QString exe = QString::fromStdString(t.Path() + "portable");
    QString user = QString::fromStdString(t.Path() + "home/.local/share/tavlora");
    QDir().mkpath(exe);
    EXPECT_EQ(DataFolderFor(exe, user), exe);
    EXPECT_FALSE(QDir(user).exists()) << "the per-user folder is made only when it is used";
}

TEST(DataFolder, InstalledCopyUsesTheCreatedPerUserFolder) {
    TempDir t;
    QString user = QString::fromStdString(t.Path() + "home/.local/share/tavlora");
    // Installed software under /usr never keeps data beside itself, even for root.
    EXPECT_EQ(DataFolderFor(QStringLiteral("/usr/bin"), user), user);
    EXPECT_TRUE(QDir(user).exists());
    EXPECT_EQ(DataFolderFor(QStringLiteral("/usr"), user), user);
}

TEST(DataFolder, PerUserFolderThatCannotBeMadeFallsBackToTheProgramFolder) {
    TempDir t;
    t.Write("afile", "x");
    QString user = QString::fromStdString(t.Path() + "afile/tavlora"); // a file in the way
    EXPECT_EQ(DataFolderFor(QStringLiteral("/usr/bin"), user), QStringLiteral("/usr/bin"));
}

TEST(DataFolder, FilesBesideTheProgramMoveInToAnEmptyPerUserFolderOnce) {
    TempDir t;
    const QString exe = QString::fromStdString(t.Path() + "exe");
    const QString user = QString::fromStdString(t.Path() + "user");
    QDir().mkpath(exe);
    QDir().mkpath(user);
    t.Write("exe/视频登记库.vdb", "rows");
    mkfifo((t.Path() + "exe/搜索路径.txt").c_str(), 0644); // never opened
    EXPECT_EQ(BringDataFilesAlong(exe, user), QStringLiteral("数据文件所在文件夹: ") + user);
    EXPECT_EQ(t.Read("user/视频登记库.vdb"), "rows");
    EXPECT_FALSE(QFileInfo::exists(user + QStringLiteral("/搜索路径.txt")));
    EXPECT_EQ(BringDataFilesAlong(exe, user), QString());
    EXPECT_EQ(BringDataFilesAlong(exe, exe), QString());
}
