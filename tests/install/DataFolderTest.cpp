// Where the data files live: beside a program file the user may write to, else in the
// user's own data folder.
#include "platform/Paths.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

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
