#include "TreeFixture.h"
#include "support/FakeShell.h"

#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "search/SearchLocations.h"

#include <gtest/gtest.h>

using Items = std::vector<std::string>;

namespace {
bool IsFolder(std::string_view gbPath) {
    return DirectoryExists(RegisterPath(gbPath));
}
} // namespace

TEST(SearchLocations, ContainmentRule) {
    EXPECT_TRUE(LocationContains("/", "/MOVIES"));
    EXPECT_TRUE(LocationContains("/MNT/SERVER/SHARE", "/MNT/SERVER/SHARE/2008"));
    EXPECT_FALSE(LocationContains("/D/AB", "/D/ABC")); // a common leading part only
    EXPECT_FALSE(LocationContains("/D/AB", "/D/AB"));  // never itself
    EXPECT_FALSE(LocationContains("/", "/"));
    EXPECT_FALSE(LocationContains("/D/AB/C", "/D/AB"));
    EXPECT_FALSE(LocationContains("", "/D")); // an empty line of the list file holds nothing

    Items dirs = {"/A", "/B", "/B/C"};
    EXPECT_EQ(FindParentDir(dirs, "/B/C/D"), 1); // the first one in list order
    EXPECT_EQ(FindParentDir(dirs, "/BC"), -1);
}

TEST(SearchLocations, PruneKeepsOnlyTopLocations) {
    Items dirs = {"/", "/MOVIES", "/MOVIES/A"};
    PruneSearchDirs(dirs);
    EXPECT_EQ(dirs, Items({"/"}));

    dirs = {"/D/AB", "/D/AB/X", "/D/ABC", "/D/ABC", "/E"};
    PruneSearchDirs(dirs);
    EXPECT_EQ(dirs, Items({"/D/AB", "/D/ABC", "/E"})); // an equal item goes too

    dirs = {"", "/A", "/A/B"};
    PruneSearchDirs(dirs);
    EXPECT_EQ(dirs, Items({"", "/A"}));
}

class SearchLocationsOnDisk : public TreeTest {
protected:
    FakeShell shell;
};

TEST_F(SearchLocationsOnDisk, AddLocationRules) {
    MakeDir("Movies/Sub");
    MakeDir("Movies2");
    MakeDir("中文");
    Items dirs;
    // The tree offers real paths; they are stored upper case, at their sorted place.
    std::string movies = RegisterFormOfPath((root_ / "Movies").string());
    EXPECT_EQ(movies, UpperCase(movies));
    EXPECT_EQ(AddSearchDir(dirs, movies, shell, IsFolder), 0);
    EXPECT_EQ(AddSearchDir(dirs, Location("中文"), shell, IsFolder), 1);
    EXPECT_EQ(AddSearchDir(dirs, Location("Movies2"), shell, IsFolder), 1);
    EXPECT_EQ(dirs, Items({Location("Movies"), Location("Movies2"), Location("中文")}));

    // Duplicates, missing folders and the empty path are ignored without a word.
    EXPECT_EQ(AddSearchDir(dirs, Location("movies"), shell, IsFolder), -1);
    EXPECT_EQ(AddSearchDir(dirs, Location("gone"), shell, IsFolder), -1);
    EXPECT_EQ(AddSearchDir(dirs, "", shell, IsFolder), -1);
    EXPECT_TRUE(shell.statusLog.isEmpty());

    // A sub-folder is refused on the status line.
    EXPECT_EQ(AddSearchDir(dirs, Location("Movies/Sub"), shell, IsFolder), -1);
    ASSERT_EQ(shell.statusLog.size(), 1);
    EXPECT_EQ(shell.statusLog[0], QString::fromUtf8("路径") + GbToQString(Location("Movies/Sub")) +
                                      QString::fromUtf8(" : 为子文件夹，无需再加入！"));
    EXPECT_EQ(dirs.size(), 3u);

    // A folder that holds listed ones is accepted; they stay until a search starts.
    EXPECT_EQ(AddSearchDir(dirs, Location(), shell, IsFolder), 0);
    EXPECT_EQ(dirs.size(), 4u);
}

TEST(SearchLocations, AddAndRemoveFileTypes) {
    Items exts;
    EXPECT_TRUE(AddFileType(exts, " avi"));
    EXPECT_FALSE(AddFileType(exts, "AVI\t"));
    EXPECT_TRUE(AddFileType(exts, "rmvb"));
    EXPECT_TRUE(AddFileType(exts, "  "));
    EXPECT_FALSE(AddFileType(exts, ""));
    EXPECT_TRUE(AddFileType(exts, "a.b"));
    EXPECT_EQ(exts, Items({"AVI", "RMVB", "", "A.B"}));

    // Removing selects the new last item, not the neighbour of the removed one.
    EXPECT_EQ(RemoveListItem(exts, 0), 2);
    EXPECT_EQ(exts, Items({"RMVB", "", "A.B"}));
    exts = {"X"};
    EXPECT_EQ(RemoveListItem(exts, 0), -1);
    EXPECT_TRUE(exts.empty());
}

TEST(SearchLocations, SortedWithoutRegardToCase) {
    Items dirs;
    for (const char* d : {"/b", "/A", "/C", "/a b", "/"})
        InsertSorted(dirs, d);
    EXPECT_EQ(dirs, Items({"/", "/A", "/a b", "/b", "/C"}));
    EXPECT_EQ(RegisterFormOfPath("/home/Tom/视频"), Utf8ToGb("/HOME/TOM/视频"));
    EXPECT_EQ(RegisterFormOfPath("/"), "/");
    EXPECT_EQ(RegisterFormOfPath("/x/\xC4\xE3z"), "/X/\xC4\xE3Z"); // raw GB bytes stay
}
