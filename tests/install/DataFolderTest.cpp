// Where the data files live: beside a program file the user may write to, else in the
// user's own data folder.
#include "app/DataFolder.h"
#include "reliability/FaultInjection.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
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

// Each file the per-user folder lacks comes along whole; one that fails (the disk full)
// leaves nothing behind and is named, and the next start brings it without replacing the
// files that came before or that the user changed since.
TEST(DataFolder, FilesBesideTheProgramComeAlongWholeAndOnlyWhenMissing) {
    TempDir t;
    const QString exe = QString::fromStdString(t.Path() + "exe");
    const QString user = QString::fromStdString(t.Path() + "user");
    QDir().mkpath(exe);
    QDir().mkpath(user);
    t.Write("exe/视频登记库.vdb", std::string(100000, 'r'));
    t.Write("exe/系统参数.INI", "[START]");
    mkfifo((t.Path() + "exe/搜索路径.txt").c_str(), 0644); // never opened
    QStringList full;
    {
        FileSizeLimit diskFull(1000);
        full = BringDataFilesAlong(exe, user);
    }
    ASSERT_EQ(full.size(), 2);
    EXPECT_EQ(full[0], QStringLiteral("数据文件所在文件夹: ") + user);
    EXPECT_TRUE(full[1].startsWith(QStringLiteral("数据文件复制失败，下次启动时再试: ") + user +
                                   QStringLiteral("/视频登记库.vdb  ")));
    EXPECT_EQ(QDir(user).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("系统参数.INI")});

    t.Write("user/系统参数.INI", "[START]\r\nedCont=mine");
    EXPECT_EQ(BringDataFilesAlong(exe, user),
              QStringList{QStringLiteral("数据文件所在文件夹: ") + user});
    EXPECT_EQ(t.Read("user/视频登记库.vdb"), std::string(100000, 'r'));
    EXPECT_EQ(t.Read("user/系统参数.INI"), "[START]\r\nedCont=mine");
    EXPECT_FALSE(QFileInfo::exists(user + QStringLiteral("/搜索路径.txt")));
    EXPECT_EQ(BringDataFilesAlong(exe, user), QStringList());
    EXPECT_EQ(BringDataFilesAlong(exe, exe), QStringList());
}
