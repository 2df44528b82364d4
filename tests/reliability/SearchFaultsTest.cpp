// A folder search whose tree changes under it: a folder removed, made unreadable, replaced by
// a file or swapped for a link while the walk runs. The fault is applied when the walk
// announces the folder on the status line, that is after its parent listed it and before
// the walk opens it. The search must end, register the files it saw and nothing else.
#include "search/TreeFixture.h"
#include "support/FakeShell.h"
#include "support/FileModesApply.h"

#include "platform/text/GbText.h"
#include "register/GridStore.h"
#include "search/SearchFiles.h"

#include <QElapsedTimer>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class SearchFaultsTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        BreakFlag = false;
        for (const char* f : {"A/a1.avi", "A/Sub/a2.avi", "B/b1.avi", "B/Deep/b2.avi",
                              "B/Deep/Deeper/b3.avi", "C/c1.avi", "top.avi"})
            MakeFile(f);
        // The tree is world-readable, so that "nobody" reads all but the folder made unreadable.
        for (auto& p : fs::recursive_directory_iterator(root_))
            fs::permissions(p.path(), fs::perms::all);
        fs::permissions(root_, fs::perms::all);
        fs::permissions(root_.parent_path(), fs::perms::owner_all | fs::perms::group_read |
                                                 fs::perms::group_exec | fs::perms::others_read |
                                                 fs::perms::others_exec);
    }
    void TearDown() override { BreakFlag = false; }

    // Runs a new search of the root for AVI files, applying `fault` to folder B when the
    // walk announces it; returns the names registered, sorted.
    std::vector<std::string> SearchWith(const std::function<void(const fs::path&)>& fault) {
        const QString announceB = GbToQString(Location("B"));
        bool applied = false;
        shell.onStatus = [&](const QString& text) {
            if (text != announceB || applied) return;
            applied = true;
            fault(root_ / "B");
        };
        QElapsedTimer timer;
        timer.start();
        // One read in flight: B is read when the walk has announced it.
        SearchFiles(false, {Location()}, {"AVI"}, work, reg, shell, 1);
        seconds = timer.elapsed() / 1000.0;
        EXPECT_TRUE(applied) << "the walk never announced B";
        std::vector<std::string> names;
        for (int r = 1; r <= reg.LastRow(); ++r)
            names.push_back(std::string(reg.Cell(colPath, r)) + std::string(reg.Cell(colName, r)));
        std::sort(names.begin(), names.end());
        return names;
    }

    // What a search registers when B holds nothing it could read: everything outside B.
    std::vector<std::string> OutsideB() const {
        std::vector<std::string> names = {Location("A") + "/A1", Location("A/Sub") + "/A2",
                                          Location("C") + "/C1", Location() + "/TOP"};
        std::sort(names.begin(), names.end());
        return names;
    }

    // B is listed (its parent saw it) and nothing below it is.
    void ExpectBListedEmpty() const {
        int listedB = 0;
        for (const TSearchFolder& f : work.lstDirectory) {
            if (f.path == Location("B")) {
                ++listedB;
                EXPECT_TRUE(f.fileNames.empty());
            }
            EXPECT_NE(f.path.rfind(Location("B") + "/", 0), 0u) << f.path;
        }
        EXPECT_EQ(listedB, 1);
    }

    VideoRegister reg;
    FakeShell shell;
    TSearchWork work;
    double seconds = 0;
};

} // namespace

TEST_F(SearchFaultsTest, FolderRemovedBeforeTheWalkEntersIt) {
    EXPECT_EQ(SearchWith([](const fs::path& b) { fs::remove_all(b); }), OutsideB());
    ExpectBListedEmpty();
    EXPECT_TRUE(shell.history.isEmpty()) << shell.history.join("\n").toStdString();
    EXPECT_EQ(reg.Cell(colNumber, reg.LastRow()), "    4");
}

TEST_F(SearchFaultsTest, FolderMadeUnreadableBeforeTheWalkEntersIt) {
    {
        FileModesApply modes;
        EXPECT_EQ(SearchWith([](const fs::path& b) { chmod(b.c_str(), 0); }), OutsideB());
    }
    ExpectBListedEmpty();
    EXPECT_TRUE(shell.history.isEmpty());
    chmod((root_ / "B").c_str(), 0777);
}

TEST_F(SearchFaultsTest, FolderReplacedByAFileOrALinkThatLoops) {
    // A regular file under the folder's name, a link to itself, a link back to the root
    // (already entered) and a link to its own parent: each is a dead end, not a hang.
    const std::vector<std::function<void(const fs::path&)>> faults = {
        [](const fs::path& b) {
            fs::remove_all(b);
            std::ofstream(b) << "not a folder";
        },
        [](const fs::path& b) {
            fs::remove_all(b);
            fs::create_symlink(b.filename(), b);
        },
        [this](const fs::path& b) {
            fs::remove_all(b);
            fs::create_directory_symlink(root_, b);
        },
        [](const fs::path& b) {
            fs::remove_all(b);
            fs::create_directory_symlink("..", b);
        },
    };
    for (size_t i = 0; i < faults.size(); ++i) {
        SCOPED_TRACE("fault " + std::to_string(i));
        SetUp();
        work.Clear();
        shell.history.clear();
        EXPECT_EQ(SearchWith(faults[i]), OutsideB());
        ExpectBListedEmpty();
        EXPECT_TRUE(shell.history.isEmpty());
        EXPECT_LT(seconds, 5.0);
    }
}

// Swapped for a link to another tree after its parent listed it: the walk must not follow
// the name into what it never listed, least of all into the kernel's process tree, whose
// links lead on into the whole machine.
TEST_F(SearchFaultsTest, FolderSwappedForALinkIntoTheKernelsTree) {
    const std::vector<std::string> found = SearchWith([](const fs::path& b) {
        fs::remove_all(b);
        fs::create_directory_symlink("/proc", b);
    });
    EXPECT_EQ(found, OutsideB());
    ExpectBListedEmpty();
    EXPECT_LT(work.lstDirectory.size(), 10u);
    EXPECT_LT(seconds, 5.0);
}
