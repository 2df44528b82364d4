#include "TreeFixture.h"
#include "support/FakeShell.h"
#include "support/FileModesApply.h"
#include "support/ShortDiskDeadline.h"
#include "support/SlowShare.h"

#include "platform/text/GbText.h"
#include "register/GridStore.h"
#include "search/FolderWalk.h"
#include "search/SearchFiles.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using Items = std::vector<std::string>;

// "path|name|type|channel|track" of every data row, sorted (walk order is the file
// system's).
Items Records(const VideoRegister& reg, int firstRow = 1) {
    Items out;
    for (int r = firstRow; r <= reg.LastRow(); ++r)
        out.push_back(std::string(reg.Cell(colPath, r)) + "|" + std::string(reg.Cell(colName, r)) +
                      "|" + std::string(reg.Cell(colType, r)) + "|" +
                      GbToUtf8(reg.Cell(colChannel, r)) + "|" + std::string(reg.Cell(colTrack, r)));
    std::sort(out.begin(), out.end());
    return out;
}

// Of two case twins in a folder, the one that the folder lists (and the walk meets) later.
std::filesystem::path LaterTwin(const std::filesystem::path& folder, const char* a, const char* b) {
    std::vector<std::filesystem::path> twins;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename() == a || entry.path().filename() == b)
            twins.push_back(entry.path());
    return twins.at(1);
}

// The history line for a file left out beside its case twin, named as it is on disk.
QString TwinLine(const std::filesystem::path& real) {
    return QString::fromUtf8("无法登记的文件名: ") + GbToQString(GbPathOfReal(real.string())) +
           QString::fromUtf8("（与已登记的文件只有字母大小写不同）");
}

Items FolderPaths(const TSearchWork& work) {
    Items out;
    for (const auto& f : work.lstDirectory)
        out.push_back(f.path);
    return out;
}

class SearchFilesTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        BreakFlag = false;
    }
    void TearDown() override { BreakFlag = false; }
    std::string Rec(const std::string& folder, const std::string& name, const std::string& type) {
        std::string path = Location(folder);
        if (path.back() != '/') path += '/';
        return path + "|" + name + "|" + type + "|右声道|1";
    }

    VideoRegister reg;
    FakeShell shell;
    TSearchWork work;
};

} // namespace

TEST_F(SearchFilesTest, RegistersMatchingFilesOfTheWholeTree) {
    MakeFile("Films/Movie.Part1.rmvb");
    MakeFile("Films/b.AVI");
    MakeFile("Films/.hidden.mkv");
    MakeFile("Films/.secret/x.avi");
    MakeFile("Films/notes.txt");
    MakeFile("中文/电影.mkv");
    MakeFile("Sub/Deep/nothing.txt");
    MakeFile("Mixed/a.avi");
    MakeFile("Mixed/A.avi"); // the same register path: listed once, the other one named
    MakeFile("Raw/\xC4\xE3.avi");
    std::filesystem::create_directory_symlink(root_, root_ / "Sub/loop");
    std::filesystem::create_directory_symlink(root_ / "Films", root_ / "FilmsLink");
    std::filesystem::create_symlink(root_ / "gone", root_ / "dangling.avi");
    MakeFile("Locked/x.avi");
    std::filesystem::permissions(root_ / "Locked", std::filesystem::perms::none);

    {
        FileModesApply modes;
        SearchFiles(false, {Location()}, {"RMVB", "AVI", "MKV"}, work, reg, shell);
    }
    std::filesystem::permissions(root_ / "Locked", std::filesystem::perms::owner_all);

    // Each folder once: the loop back to the root and the second way into Films are
    // not walked again; the hidden folder is not listed; the unreadable one is listed empty.
    Items folders = FolderPaths(work);
    EXPECT_EQ(folders.front(), Location());
    std::sort(folders.begin(), folders.end());
    Items films = {Location("Films"), Location("FilmsLink")};
    ASSERT_EQ(folders.size(), 8u) << ::testing::PrintToString(folders);
    EXPECT_EQ(std::count_if(folders.begin(), folders.end(),
                            [&](const auto& f) { return f == films[0] || f == films[1]; }),
              1);
    for (const char* f : {"", "Sub", "Sub/Deep", "Mixed", "Raw", "Locked", "中文"})
        EXPECT_TRUE(std::count(folders.begin(), folders.end(), Location(f))) << f;

    std::string filmsFolder =
        std::count(folders.begin(), folders.end(), films[0]) ? "Films" : "FilmsLink";
    Items expected = {Rec(filmsFolder, "MOVIE.PART1", ".RMVB"),
                      Rec(filmsFolder, "B", ".AVI"),
                      Rec(filmsFolder, "", ".HIDDEN.MKV").replace(0, 0, ""),
                      Rec("Mixed", "A", ".AVI"),
                      Rec("Raw", "\xC4\xE3", ".AVI"),
                      Rec("中文", Utf8ToGb("电影"), ".MKV")};
    // A hidden file is registered: ".HIDDEN.MKV" has the name ".HIDDEN" and type ".MKV".
    expected[2] = Rec(filmsFolder, ".HIDDEN", ".MKV");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Records(reg), expected);
    EXPECT_EQ(work.lstFiles.Count(), expected.size());
    EXPECT_EQ(reg.Cell(colNumber, 1), "    1");
    EXPECT_EQ(reg.Cell(colNumber, 6), "    6");
    EXPECT_EQ(shell.history, QStringList(TwinLine(LaterTwin(root_ / "Mixed", "a.avi", "A.avi"))));
}

// Each folder is opened below an open one, so a tree deeper than the path limit is searched;
// the test removes it the same way, as a path-based removal cannot.
TEST_F(SearchFilesTest, FoldersDeeperThanThePathLimitAreSearched) {
    const std::string name(200, 'd');
    std::vector<int> fds{open(root_.c_str(), O_RDONLY | O_DIRECTORY)};
    for (int i = 0; i < 25; ++i) {
        mkdirat(fds.back(), name.c_str(), 0755);
        fds.push_back(openat(fds.back(), name.c_str(), O_RDONLY | O_DIRECTORY));
    }
    close(openat(fds.back(), "deep.avi", O_CREAT | O_WRONLY, 0644));
    SearchFiles(false, {Location()}, {"AVI"}, work, reg, shell);
    EXPECT_EQ(reg.LastRow(), 1);
    EXPECT_EQ(reg.Cell(colName, 1), "DEEP");
    unlinkat(fds.back(), "deep.avi", 0);
    for (size_t i = fds.size() - 1; i > 0; --i) {
        close(fds[i]);
        unlinkat(fds[i - 1], name.c_str(), AT_REMOVEDIR);
    }
    close(fds.front());
}

TEST_F(SearchFilesTest, NamesWithoutDotsAndWithSeveralDots) {
    MakeFile("README");
    MakeFile("a.b.c.avi");
    MakeFile("x.avi.part");
    SearchFiles(false, {Location()}, {""}, work, reg, shell);
    EXPECT_EQ(Records(reg), Items({Rec("", "README", "")}));

    work.Clear();
    SearchFiles(false, {Location()}, {"AVI"}, work, reg, shell);
    EXPECT_EQ(Records(reg), Items({Rec("", "A.B.C", ".AVI")}));
}

TEST_F(SearchFilesTest, UnstorableNamesGoToTheHistoryNotTheRegister) {
    MakeFile("good.avi");
    MakeFile("a^^b.avi");
    MakeFile("line\nbreak.avi");
    MakeFile("tab\tname.avi"); // the text export's column separator
    MakeFile("x^^y/inside.avi");
    MakeFile("x^.avi");
    MakeFile("CAF\xE9.avi"); // a raw-byte name ending in a lone lead byte
    // Characters whose second byte is a caret are whole characters, not carets.
    const Items traditional = {"喋血街頭", "大觀", "禁區", "過江龍^頭"};
    for (const std::string& name : traditional)
        MakeFile(name + ".avi");
    // Names and folders that differ only in case: both seen, one row, and a word for the other.
    MakeFile("Good.AVI");
    MakeFile("Sub/c.avi");
    MakeFile("SUB/C.AVI");
    SearchFiles(false, {Location()}, {"AVI", "A*"}, work, reg, shell);
    Items rows = {Rec("SUB", "C", ".AVI"), Rec("", "GOOD", ".AVI")};
    for (const std::string& name : traditional)
        rows.push_back(Rec("", Utf8ToGb(name), ".AVI"));
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(Records(reg), rows);
    EXPECT_EQ(work.lstFiles.Count(), 6u);
    QStringList expected;
    for (const auto& [name, reason] : {std::pair{"A^^B.AVI", "含有“^^”"},
                                       {"LINE\nBREAK.AVI", "含有换行"},
                                       {"TAB\tNAME.AVI", "含有制表符"},
                                       {"X^^Y/INSIDE.AVI", "含有“^^”"},
                                       {"X^.AVI", "以“^”结尾"},
                                       {"CAF\xE9.AVI", "以不完整的字符结尾"}})
        expected << QString::fromUtf8("无法登记的文件名: ") + GbToQString(Location() + "/" + name) +
                        QString::fromUtf8("（") + QString::fromUtf8(reason) +
                        QString::fromUtf8("）");
    expected << TwinLine(LaterTwin(root_, "good.avi", "Good.AVI"));
    const std::filesystem::path laterSub = LaterTwin(root_, "Sub", "SUB");
    expected << TwinLine(laterSub / (laterSub.filename() == "SUB" ? "C.AVI" : "c.avi"));
    shell.history.sort();
    expected.sort();
    EXPECT_EQ(shell.history, expected);
}

TEST_F(SearchFilesTest, NewSearchWithoutTypesOrLocationsEmptiesTheRegister) {
    MakeFile("a.avi");
    reg.SetRowCount(4);
    reg.SetCell(colPath, 3, "/OLD/");
    SearchFiles(false, {Location()}, {}, work, reg, shell);
    EXPECT_EQ(reg.RowCount(), 2);
    EXPECT_EQ(reg.Cell(colPath, 1), "");
    EXPECT_EQ(reg.Cell(colNumber, 1), "    1");
    EXPECT_EQ(work.lstDirectory.size(), 1u);

    reg.SetRowCount(4);
    work.Clear();
    SearchFiles(false, {}, {"AVI"}, work, reg, shell);
    EXPECT_EQ(reg.RowCount(), 2);
    EXPECT_EQ(work.lstFiles.Count(), 0u);
}

TEST_F(SearchFilesTest, AppendAddsBelowAndFillsABlankLastRowFirst) {
    MakeFile("one.avi");
    MakeFile("two.avi");
    // A blank last row (path cell empty) takes the first file, keeping its other cells.
    reg.SetRowCount(3);
    reg.SetCell(colPath, 1, "/OLD/");
    reg.SetCell(colStars, 2, "x");
    SearchFiles(true, {Location()}, {"AVI"}, work, reg, shell);
    ASSERT_EQ(reg.LastRow(), 3);
    EXPECT_EQ(reg.Cell(colPath, 1), "/OLD/");
    EXPECT_EQ(reg.Cell(colStars, 2), "x");
    EXPECT_EQ(Records(reg, 2), Items({Rec("", "ONE", ".AVI"), Rec("", "TWO", ".AVI")}));
    EXPECT_EQ(reg.Cell(colNumber, 3), "    3");

    // Nothing found: the register stays as it was.
    work.Clear();
    SearchFiles(true, {Location()}, {"MKV"}, work, reg, shell);
    EXPECT_EQ(reg.LastRow(), 3);
    // An append does not compare with registered rows: the same files come twice.
    work.Clear();
    SearchFiles(true, {Location()}, {"AVI"}, work, reg, shell);
    EXPECT_EQ(reg.LastRow(), 5);
}

TEST_F(SearchFilesTest, BreakDuringTheWalkLeavesTheRegisterUnchanged) {
    MakeFile("A/1.avi");
    MakeFile("B/2.avi");
    MakeFile("C/3.avi");
    MakeFile("Second/4.avi");
    reg.SetCell(colPath, 1, "/KEEP/");
    shell.onProcessEvents = [] { BreakFlag = true; };
    SearchFiles(false, {Location(), Location("Second")}, {"AVI"}, work, reg, shell);
    EXPECT_EQ(shell.processed, 1);
    EXPECT_EQ(reg.RowCount(), 2);
    EXPECT_EQ(reg.Cell(colPath, 1), "/KEEP/");
    EXPECT_EQ(work.lstFiles.Count(), 0u);
    // The folders found so far, and the remaining location, whose walk ends at once.
    EXPECT_LE(work.lstDirectory.size(), 3u);
    EXPECT_EQ(work.lstDirectory.back().path, Location("Second"));
    EXPECT_TRUE(work.lstDirectory.back().fileNames.empty());
}

TEST_F(SearchFilesTest, EventsAreProcessedDuringTheWalkButNotForEveryEntry) {
    for (int i = 0; i < 3000; ++i)
        MakeFile("many/f" + std::to_string(i) + ".avi");
    SearchFiles(false, {Location()}, {"AVI"}, work, reg, shell);
    EXPECT_GE(shell.processed, 1);
    EXPECT_LT(shell.processed, 3000);
    EXPECT_EQ(work.lstFiles.Count(), 3000u);
    EXPECT_EQ(reg.LastRow(), 3000);
}

// A location on a kernel file system leads back into the whole machine, a relative one into
// the working folder: both are refused with their lines, the others searched.
TEST_F(SearchFilesTest, KernelAndRelativeLocationsAreRefused) {
    MakeFile("a.avi");
    SearchFiles(false, {"/PROC", "../TREE1", Location(), "/SYS/KERNEL"}, {"AVI"}, work, reg, shell);
    EXPECT_EQ(FolderPaths(work), Items({Location()}));
    EXPECT_EQ(Records(reg), Items({Rec("", "A", ".AVI")}));
    EXPECT_EQ(shell.history, QStringList({QString::fromUtf8("内核文件系统，未搜索: /PROC"),
                                          QString::fromUtf8("不是完整路径，未搜索: ../TREE1"),
                                          QString::fromUtf8("内核文件系统，未搜索: /SYS/KERNEL")}));
}

// Thousands of types, half of them wildcards, list what the few that select anything list,
// in the same order (type by type, each in folder order); a break stops the matching.
TEST_F(SearchFilesTest, LongTypeListsListAsShortOnesAndBreak) {
    for (const char* name : {"b.mkv", "a.avi", "c.Rmvb", "d.avi", "e.mp4", "g"})
        MakeFile(std::string("One/") + name);
    Items many;
    for (const char* type : {"MKV", "A*", "", "rmvb", "AVI", "MK*"})
        for (int i = 0; i <= 1500; ++i)
            many.push_back(i < 1500 ? (i % 2 ? "Q?" : "X") + std::to_string(i) : type);
    auto listed = [&](const Items& types) {
        TSearchWork w;
        SearchFiles(false, {Location()}, types, w, reg, shell);
        Items names;
        for (size_t i = 0; i < w.lstFiles.Count(); ++i)
            names.push_back(w.lstFiles[i].substr(w.lstFiles[i].rfind('/') + 1));
        return names;
    };
    const Items few = listed({"MKV", "A*", "", "RMVB"});
    ASSERT_EQ(few.size(), 5u);
    EXPECT_EQ(Items({few[0], few[3], few[4]}), Items({"B.MKV", "G", "C.RMVB"}));
    EXPECT_EQ(listed(many), few);

    bool listing = false;
    shell.onStatus = [&](const QString& text) { listing = text.startsWith("搜索文件夹"); };
    shell.onProcessEvents = [&] { BreakFlag = listing; };
    SearchFiles(false, {Location()}, many, work, reg, shell);
    EXPECT_TRUE(BreakFlag);
    EXPECT_EQ(work.lstFiles.Count(), 0u);
    EXPECT_EQ(Records(reg).size(), 5u);
}

TEST(FolderWalk, KernelFileSystemsAreRecognised) {
    auto device = [](const char* path) {
        struct stat st {};
        stat(path, &st);
        return st.st_dev;
    };
    EXPECT_TRUE(IsKernelFileSystem(device("/proc")));
    EXPECT_TRUE(IsKernelFileSystem(device("/sys")));
    EXPECT_FALSE(IsKernelFileSystem(device(TAVLORA_TEST_DIR)));
    EXPECT_FALSE(IsKernelFileSystem(makedev(0, 0)));
}

// Folders read ahead on a share reach the walk in its own order: folders, files, rows,
// status texts and history are the same bytes as with one read in flight. A share mounted
// inside the tree that does not answer is named and left out by both, and the walk goes on.
TEST_F(SearchFilesTest, ReadsAheadOnAShareShowTheSameAsOneReadInFlight) {
    ASSERT_EQ(TSlowShare::Unavailable(), ""); // tools/deps installs FUSE; a missing share fails
    for (int i = 0; i < 60; ++i)
        MakeFile("Src/S" + std::to_string(i % 7) + "/D" + std::to_string(i % 13) + "/e" +
                 std::to_string(i) + (i % 3 ? ".avi" : ".MKV"));
    MakeFile("Src/Case/a.avi");
    MakeFile("Src/CASE/a.avi");
    MakeFile("Src/.hidden/c.avi");
    MakeDir("Src/Dead");
    MakeDir("Frozen");
    std::filesystem::create_directory_symlink("..", root_ / "Src/S1/up");
    std::filesystem::create_directory_symlink("S2", root_ / "Src/ToS2");
    TSlowShare share((root_ / "Src").string(), (root_ / "Share").string(), 300, 1);
    ASSERT_TRUE(share.Mounted());
    TSlowShare dead((root_ / "Frozen").string(), (root_ / "Share/Dead").string(), 0, 1);
    ASSERT_TRUE(dead.Mounted());
    dead.Freeze();
    ShortDiskDeadline deadline(400);

    auto search = [&](unsigned readsInFlight) {
        FakeShell s;
        TSearchWork w;
        VideoRegister r;
        SearchFiles(false, {Location("Share"), Location("Src/S3")}, {"AVI", "MKV"}, w, r, s,
                    readsInFlight);
        Items seen;
        for (const TSearchFolder& f : w.lstDirectory) {
            seen.push_back(f.path);
            seen.insert(seen.end(), f.fileNames.begin(), f.fileNames.end());
        }
        for (int row = 1; row <= r.LastRow(); ++row)
            seen.push_back(std::string(r.Cell(colPath, row)) + std::string(r.Cell(colName, row)));
        for (const QString& text : s.statusLog + s.history)
            seen.push_back(text.toStdString());
        return std::pair(seen, s.history);
    };
    const auto [one, oneHistory] = search(1);
    const auto [several, severalHistory] = search(kSearchReadsInFlight);
    EXPECT_EQ(one, several);
    ASSERT_EQ(oneHistory.size(), 2); // the case twin's line follows
    EXPECT_EQ(oneHistory[0].toStdString(),
              "文件夹无响应，未搜索: " + GbToUtf8(Location("Share") + "/DEAD"));
    EXPECT_GT(one.size(), 150u);
}
