// The register store under failing file systems: every failed write keeps the previous
// database, settings or list file, leaves no temporary file and reports the program's
// error text; unreadable files report and are not replaced.
#include "FaultInjection.h"

#include "platform/fs/FileErrors.h"
#include "register/GridStore.h"
#include "register/IniFile.h"
#include "register/ListFiles.h"
#include "register/StartupData.h"
#include "support/TempDir.h"

#include <QDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

std::string ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const EFileError& e) {
        return e.what();
    }
    return "(no error)";
}

QStringList FilesIn(const TempDir& t) {
    return QDir(QString::fromStdString(t.Path()))
        .entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

void FillRows(VideoRegister& reg, int n) {
    reg.SetRowCount(n + 1);
    for (int r = 1; r <= n; ++r)
        reg.SetCell(colName, r, "NAME" + std::to_string(r));
    RenumberRows(reg);
}

// The three stores, each written with content larger than `bytes`.
struct Store {
    const char* file;
    std::function<void(const std::string& gbPath)> writeBig;
};

std::vector<Store> Stores() {
    return {
        {"db.vdb",
         [](const std::string& p) {
             VideoRegister reg;
             FillRows(reg, 5000);
             SaveRegister(reg, p);
         }},
        {"settings.ini",
         [](const std::string& p) {
             IniWriteString(p, "START", "edCont", std::string(100000, 'x'));
         }},
        {"list.txt",
         [](const std::string& p) {
             WriteListFile(p, std::vector<std::string>(5000, "/MOVIES/A FOLDER/"));
         }},
    };
}

} // namespace

TEST(StoreFaults, DiskFullKeepsEveryPreviousFileAndLeavesNoTemporary) {
    TempDir t;
    const std::string old = "[START]\r\nedCont=old\r\n";
    for (const Store& s : Stores()) {
        SCOPED_TRACE(s.file);
        t.Write(s.file, old);
        {
            FileSizeLimit full(4096);
            EXPECT_EQ(ErrorOf([&] { s.writeBig(t.Gb(s.file)); }), "Stream write error");
        }
        EXPECT_EQ(t.Read(s.file), old);
        EXPECT_EQ(FilesIn(t), QStringList{QString(s.file)});
        QFile::remove(QString::fromStdString(t.Path() + s.file));
    }
}

TEST(StoreFaults, MissingFolderOrAPathThroughAFileFailsWithTheCreateText) {
    TempDir t;
    t.Write("plain", "x");
    for (const Store& s : Stores()) {
        SCOPED_TRACE(s.file);
        std::string missing = t.Path() + "no-folder/" + s.file;
        EXPECT_EQ(ErrorOf([&] { s.writeBig(missing); }),
                  "Cannot create file \"" + missing + "\". No such file or directory");
        std::string throughFile = t.Path() + "plain/" + s.file;
        EXPECT_EQ(ErrorOf([&] { s.writeBig(throughFile); }),
                  "Cannot create file \"" + throughFile + "\". Not a directory");
    }
    EXPECT_EQ(FilesIn(t), QStringList{"plain"});
    EXPECT_EQ(t.Read("plain"), "x");
}

TEST(StoreFaults, UnreadableSettingsAndListsReportAndStayInPlace) {
    TempDir t;
    MakeUnreadable(t.Path() + "settings.ini");
    MakeUnreadable(t.Path() + "list.txt");
    const std::string ini = t.Gb("settings.ini");
    EXPECT_EQ(ErrorOf([&] { IniReadString(ini, "START", "edCont"); }), "Stream read error");
    EXPECT_EQ(ErrorOf([&] { IniReadStringDef(ini, "START", "edCont", "d"); }), "Stream read error");
    // A write must not replace a file it could not read: the rest of it would be lost.
    EXPECT_EQ(ErrorOf([&] { IniWriteString(ini, "START", "edCont", "v"); }), "Stream read error");
    struct stat st;
    ASSERT_EQ(lstat((t.Path() + "settings.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ErrorOf([&] { ReadListFile(t.Gb("list.txt")); }), "Stream read error");
}

TEST(StoreFaults, UnreadableDatabaseOverALoadedRegisterLeavesTheBlankRegister) {
    TempDir t;
    VideoRegister reg;
    FillRows(reg, 1000);
    reg.Cursor().SetCurrent(3, 900);
    MakeUnreadable(t.Path() + "db.vdb");
    EXPECT_EQ(ErrorOf([&] { LoadRegister(reg, t.Gb("db.vdb")); }), "Stream read error");
    FillRows(reg, 10);
    mkfifo((t.Path() + "pipe.vdb").c_str(), 0644); // never opened: it would wait for good
    EXPECT_EQ(ErrorOf([&] { LoadRegister(reg, t.Gb("pipe.vdb")); }), "Stream read error");
    EXPECT_EQ(reg.RowCount(), 2);
    EXPECT_TRUE(reg.Cell(colName, 1).empty());
    EXPECT_EQ(reg.Cell(colNumber, 1), "    1");
    // The register stays usable: a save after the failure writes the blank register.
    SaveRegister(reg, t.Gb("new.vdb"));
    EXPECT_EQ(t.Read("new.vdb"), "    1" + std::string(24, '^') + "\r\n");
}

TEST(StoreFaults, OneUnreadableStartupFileDoesNotKeepTheOthersFromTheWindow) {
    TempDir t;
    DataPaths paths = MakeDataPaths(t.Path());
    t.Write("搜索类型.txt", "RMVB\r\nAVI\r\n");
    t.Write("视频登记库.vdb", "1^^/D/^^A^^.AVI^^\r\n2^^/D/^^B^^.AVI^^\r\n");
    t.Write("系统参数.INI", "[START]\r\nedCont=q\r\nSoundLevel=42\r\n");
    MakeUnreadable(t.Path() + "搜索路径.txt");
    VideoRegister reg;
    StartupData data;
    data.query = "current";
    data.soundLevel = 6000;
    EXPECT_EQ(ErrorOf([&] { LoadStartupData(paths, reg, data); }), "Stream read error");
    EXPECT_TRUE(data.dirs.empty());
    EXPECT_EQ(data.exts, (std::vector<std::string>{"RMVB", "AVI"}));
    EXPECT_EQ(reg.LastRow(), 2);
    EXPECT_EQ(reg.Cell(colName, 2), "B");
    EXPECT_EQ(data.query, "q");
    EXPECT_EQ(data.soundLevel, 42);

    // An unreadable settings file keeps the current values and the register still loads.
    QFile::remove(QString::fromStdString(t.Path() + "搜索路径.txt"));
    QFile::remove(QString::fromStdString(t.Path() + "系统参数.INI"));
    MakeUnreadable(t.Path() + "系统参数.INI");
    StartupData second;
    second.query = "current";
    second.soundLevel = 6000;
    VideoRegister reg2;
    EXPECT_EQ(ErrorOf([&] { LoadStartupData(paths, reg2, second); }), "Stream read error");
    EXPECT_EQ(reg2.LastRow(), 2);
    EXPECT_EQ(second.query, "current");
    EXPECT_EQ(second.soundLevel, 6000);
}
