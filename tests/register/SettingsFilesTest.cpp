#include "register/IniFile.h"
#include "register/ListFiles.h"
#include "register/StartupData.h"

#include "platform/fs/FileErrors.h"
#include "platform/text/GbText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(IniFile, ReadsProfileFilesAsTheWindowsFunctionsDo) {
    TempDir t;
    t.Write("s.ini", "; comment\r\nloose line\r\n[start]\r\n  WindowsL =  12  \r\nedCont=\r\n"
                     "Quoted=\"a b\"\r\nSingle='x'\r\nEq=a=b\r\nwindowsl=99\r\n#hash=1\r\n"
                     "[START]\r\nSoundLevel=1\r\n[Other]\r\nSoundLevel=5");
    std::string p = t.Gb("s.ini");
    EXPECT_EQ(IniReadString(p, "START", "WINDOWSL"), "12"); // first duplicate wins, trimmed
    EXPECT_EQ(IniReadString(p, "Start", "Quoted"), "a b");
    EXPECT_EQ(IniReadString(p, "START", "Single"), "x");
    EXPECT_EQ(IniReadString(p, "START", "Eq"), "a=b");
    EXPECT_EQ(IniReadString(p, "START", "#hash"), "1");
    EXPECT_EQ(IniReadString(p, "START", "SoundLevel"), "");       // the second [START] is ignored
    EXPECT_EQ(IniReadString(p, "Other", "SoundLevel"), "5");      // last line without line end
    EXPECT_EQ(IniReadStringDef(p, "START", "edCont", "def"), ""); // present but empty
    EXPECT_EQ(IniReadStringDef(p, "START", "missing", "def"), "def");
    EXPECT_EQ(IniReadStringDef(t.Gb("none.ini"), "START", "edCont", "def"), "def");
}

TEST(IniFile, WritesInPlaceAtSectionEndOrNewSectionKeepingEverythingElse) {
    TempDir t;
    t.Write("s.ini",
            "; keep me\r\n[Start]\r\nwindowsL=1\r\n; inner comment\r\n\r\n[Other]\r\nx=1\r\n");
    std::string p = t.Gb("s.ini");
    IniWriteString(p, "START", "WindowsL", "40");
    IniWriteString(p, "START", "WindowsT", "7");
    IniWriteString(p, "Third", "k", Utf8ToGb("生化危机"));
    EXPECT_EQ(t.Read("s.ini"), "; keep me\r\n[Start]\r\nwindowsL=40\r\n; inner comment\r\n"
                               "WindowsT=7\r\n\r\n[Other]\r\nx=1\r\n[Third]\r\nk=" +
                                   Utf8ToGb("生化危机") + "\r\n");
    EXPECT_EQ(IniReadString(p, "third", "K"), Utf8ToGb("生化危机"));
}

TEST(IniFile, CreatesAMissingFileAndFailsWithoutAFolder) {
    TempDir t;
    IniWriteString(t.Gb("new.ini"), "START", "SoundLevel", "6000");
    EXPECT_EQ(t.Read("new.ini"), "[START]\r\nSoundLevel=6000\r\n");
    EXPECT_THROW(IniWriteString(t.Gb("nofolder/x.ini"), "START", "a", "b"), EFileError);
    EXPECT_FALSE(QDir(QString::fromStdString(t.Path() + "nofolder")).exists());
}

TEST(IniFile, ParseIntAcceptsOnlyWholeIntegers) {
    EXPECT_EQ(ParseInt("6000"), 6000);
    EXPECT_EQ(ParseInt(" -12 "), -12);
    EXPECT_EQ(ParseInt("+5"), 5);
    EXPECT_FALSE(ParseInt("abc"));
    EXPECT_FALSE(ParseInt(""));
    EXPECT_FALSE(ParseInt("12x"));
    EXPECT_FALSE(ParseInt("99999999999"));
}

TEST(ListFiles, AnyLineEndEmptyItemsAndWholeRewrite) {
    TempDir t;
    t.Write("l.txt", "A\r\nB\rC\n\r\nD");
    EXPECT_EQ(ReadListFile(t.Gb("l.txt")), (std::vector<std::string>{"A", "B", "C", "", "D"}));
    WriteListFile(t.Gb("l.txt"), {"X", ""});
    EXPECT_EQ(t.Read("l.txt"), "X\r\n\r\n");
    WriteListFile(t.Gb("l.txt"), {});
    EXPECT_EQ(t.Read("l.txt"), "");
    EXPECT_TRUE(ReadListFile(t.Gb("l.txt")).empty());
    EXPECT_TRUE(ReadListFile(t.Gb("missing.txt")).empty());
}

TEST(StartupData, FirstStartAndStoredValues) {
    TempDir t;
    DataPaths paths = MakeDataPaths(Utf8ToGb(t.Path()));
    VideoRegister reg;
    StartupData first = LoadStartupData(paths, reg, Utf8ToGb("生化危机"), 6000);
    EXPECT_TRUE(first.dirs.empty());
    EXPECT_TRUE(first.exts.empty());
    EXPECT_EQ(GbToUtf8(first.query), "生化危机");
    EXPECT_EQ(first.soundLevel, 6000);
    EXPECT_EQ(reg.RowCount(), 2);

    t.Write("搜索路径.txt", "/B/\r\n/A/\r\n");
    t.Write("搜索类型.txt", "RMVB\r\nAVI\r\n");
    t.Write("系统参数.INI", "[start]\r\nedCont=\r\nSoundLevel=abc\r\n");
    t.Write("视频登记库.vdb", "1^^/A/^^X^^.AVI^^\r\n2^^/B/^^Y^^.AVI^^\r\n");
    StartupData d = LoadStartupData(paths, reg, Utf8ToGb("生化危机"), 6000);
    EXPECT_EQ(d.dirs, (std::vector<std::string>{"/B/", "/A/"}));
    EXPECT_EQ(d.exts, (std::vector<std::string>{"RMVB", "AVI"}));
    EXPECT_EQ(d.query, "");
    EXPECT_EQ(d.soundLevel, 6000);
    EXPECT_EQ(reg.RowCount(), 3);
}
