#include "FileOpsFixture.h"

#include "fileops/BlockCopyFile.h"
#include "fileops/FileHelpers.h"
#include "fileops/RenameCommands.h"
#include "platform/fs/FileErrors.h"
#include "platform/ui/ShellDiskCalls.h"
#include "support/ShortDiskDeadline.h"
#include "support/SlowShare.h"

#include <csignal>
#include <sys/resource.h>
#include <thread>

namespace {

class BlockCopy : public FileOpsTest {
protected:
    TDiskCalls calls{ShellDiskCalls(shell, QEventLoop::AllEvents)};
};

TCopyFiles Files(const fs::path& source, const fs::path& target) {
    return {RealPath(source.string()), RealPath(target.string()), Utf8ToGb(source.string()),
            Utf8ToGb(target.string())};
}

TEST_F(BlockCopy, BlockCountsProgressAndContentForEveryShapeOfSize) {
    struct Case {
        uint64_t size;
        int max;           // PB3 Max: whole blocks + 1
        QString lastBytes; // the last byte-count suffix
    };
    const uint64_t n = kCopyBlockSize;
    const Case cases[] = {
        {0, 1, {}},
        {1000, 1, "%  1000"},
        {3 * n, 4, "%  1228800"},
        {2 * n + 5, 3, "%  819205"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        shell.pb3 = FakeProgress();
        shell.processed = 0;
        fs::path src = root / ("src" + std::to_string(c.size)), dst = root / "out" / "copy";
        MakeFile(src, c.size, unsigned(c.size));
        fs::create_directories(dst.parent_path());
        ASSERT_TRUE(BlockCopyFile(Files(src, dst), shell, calls));
        EXPECT_EQ(ReadAll(dst), ReadAll(src));
        EXPECT_EQ(shell.pb3.max, c.max);
        EXPECT_EQ(shell.pb3.position, c.max);
        EXPECT_EQ(shell.processed, c.max - 1); // once after each whole block
        EXPECT_TRUE(shell.pb3.everShown);
        EXPECT_FALSE(shell.pb3.visible);
        ASSERT_FALSE(shell.pb3.suffixes.isEmpty());
        EXPECT_EQ(shell.pb3.suffixes.back(), QStringLiteral("%  正在写入文件,稍等"));
        QStringList counts = shell.pb3.suffixes.mid(0, shell.pb3.suffixes.size() - 1);
        EXPECT_EQ(counts.isEmpty() ? QString() : counts.back(), c.lastBytes);
    }
}

TEST_F(BlockCopy, UpperCaseRegisterPathsFindTheRealFiles) {
    fs::path src = root / "Mixed" / "clip.rmvb";
    MakeFile(src, 5000);
    fs::create_directories(root / "dest");
    const std::string source = RegDir(root / "Mixed") + "CLIP.RMVB",
                      target = RegDir(root / "dest") + "CLIP.RMVB";
    ASSERT_TRUE(BlockCopyFile(
        {ResolvePath(RegisterPath(source)), ResolvePath(RegisterPath(target)), source, target},
        shell, calls));
    EXPECT_EQ(ReadAll(root / "dest" / "CLIP.RMVB"), ReadAll(src));
}

// The names in a folder, sorted.
std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(BlockCopy, TheTargetNameAppearsOnlyWhenTheCopyIsWhole) {
    // A long name still leaves room for the hidden partial copy's name.
    for (const std::string& name : {std::string("clip.mkv"), std::string(250, 'n')}) {
        SCOPED_TRACE(name.size());
        fs::path folder = root / ("f" + std::to_string(name.size()));
        fs::path src = folder / "src", dst = folder / name;
        MakeFile(src, 4 * kCopyBlockSize + 9, 7);
        MakeFile(dst, 100, 1); // replaced only by a whole copy
        // What a copy killed earlier left behind is taken over.
        MakeFile(folder / (".~" + name.substr(0, 240) + ".part"), 3 * kCopyBlockSize, 2);
        const std::string before = ReadAll(dst);
        int checked = 0;
        shell.onProcessEvents = [&] {
            EXPECT_EQ(ReadAll(dst), before) << "the target changed before the copy was whole";
            ++checked;
        };
        ASSERT_TRUE(BlockCopyFile(Files(src, dst), shell, calls, CopyDurability::OnDisk));
        EXPECT_EQ(checked, 4);
        EXPECT_EQ(ReadAll(dst), ReadAll(src));
        EXPECT_EQ(Entries(folder), (std::vector<std::string>{name, "src"}));
        shell.onProcessEvents = nullptr;
    }
}

TEST_F(BlockCopy, BreakStopsBeforeTheNextBlockAndRemovesThePartialTarget) {
    fs::path src = root / "big", dst = root / "partial";
    MakeFile(src, 10 * kCopyBlockSize + 7);
    shell.onProcessEvents = [this] {
        if (shell.processed == 3) BreakFlag = true;
    };
    EXPECT_FALSE(BlockCopyFile(Files(src, dst), shell, calls));
    EXPECT_EQ(Entries(root), std::vector<std::string>{"big"}) << "a partial copy is left";
    EXPECT_EQ(fs::file_size(src), 10 * kCopyBlockSize + 7);
    EXPECT_EQ(shell.processed, 3);
    EXPECT_EQ(shell.pb3.suffixes.back(), QStringLiteral("%  正在关闭文件,稍等"));
    EXPECT_FALSE(shell.pb3.visible);
}

// A share that stops answering mid-file holds the worker, not the window: the copy fails
// after the disk deadline, the share is named once, and the partial copy goes as soon as the
// stuck read returns.
TEST_F(BlockCopy, AShareThatStopsAnsweringMidFileFailsAfterTheDeadline) {
    ASSERT_EQ(TSlowShare::Unavailable(), ""); // tools/deps installs FUSE; a missing share fails
    MakeFile(root / "Src" / "big", 40 * kCopyBlockSize);
    fs::create_directories(root / "out");
    {
        TSlowShare share((root / "Src").string(), (root / "Share").string(), 5000, 1);
        ASSERT_TRUE(share.Mounted());
        ShortDiskDeadline deadline(400);
        TDiskCalls shareCalls = ShellDiskCalls(shell, QEventLoop::AllEvents);
        shell.onProcessEvents = [&] {
            if (shell.processed == 1) share.Freeze();
        };
        EXPECT_FALSE(
            BlockCopyFile(Files(root / "Share" / "big", root / "out" / "big"), shell, shareCalls));
        EXPECT_EQ(shell.history, QStringList(QStringLiteral("位置无响应: ") +
                                             QString::fromStdString((root / "Share").string())));
        EXPECT_FALSE(shell.pb3.visible);
    } // thawed and unmounted
    for (int i = 0; i < 500 && !fs::is_empty(root / "out"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(fs::is_empty(root / "out"));
}

// A change is never given up: a rename that the share carries out after the deadline is
// waited for, the history names the share, and register and disk agree.
TEST_F(BlockCopy, ARenameOnAShareSlowerThanTheDeadlineIsWaitedFor) {
    ASSERT_EQ(TSlowShare::Unavailable(), "");
    MakeFile(root / "Src" / "movie.avi", 5);
    TSlowShare share((root / "Src").string(), (root / "Share").string(), 0, 0, 1000000);
    ASSERT_TRUE(share.Mounted());
    ShortDiskDeadline deadline(300);
    const int row = AddRow(root / "Share", "MOVIE", ".AVI", "");
    SelectRows(row, row);
    dialogs.input = [](QString& value) {
        value = "MOVIE2";
        return true;
    };
    RenameRowFile(ctx);
    EXPECT_EQ(reg.Cell(colName, row), "MOVIE2");
    EXPECT_TRUE(fs::exists(root / "Src" / "MOVIE2.AVI"));
    EXPECT_EQ(shell.history, QStringList(QStringLiteral("正在等待位置应答: ") +
                                         QString::fromStdString((root / "Share").string())));
}

TEST_F(BlockCopy, BreakDuringTheLastWholeBlockStillFails) {
    fs::path src = root / "two", dst = root / "two.copy";
    MakeFile(src, 2 * kCopyBlockSize + 1);
    shell.onProcessEvents = [this] {
        if (shell.processed == 2) BreakFlag = true;
    };
    EXPECT_FALSE(BlockCopyFile(Files(src, dst), shell, calls));
    EXPECT_FALSE(fs::exists(dst));
}

TEST_F(BlockCopy, WriteFailureRemovesThePartialTargetAndThrows) {
    fs::path src = root / "src", dst = root / "dst";
    MakeFile(src, 3 * kCopyBlockSize);
    // A file-size limit makes the writes past 500 KiB fail as a full disk would.
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 500 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(BlockCopyFile(Files(src, dst), shell, calls, CopyDurability::OnDisk), EFileError);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(Entries(root), std::vector<std::string>{"src"}) << "a partial copy is left";
    EXPECT_EQ(fs::file_size(src), 3 * kCopyBlockSize);
    EXPECT_FALSE(shell.pb3.visible);
}

TEST_F(BlockCopy, OpenAndCreateFailuresCarryTheProgramTexts) {
    try {
        BlockCopyFile(Files(root / "missing", root / "x"), shell, calls);
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Cannot open file \"")) << e.what();
    }
    MakeFile(root / "src", 10);
    try {
        BlockCopyFile(Files(root / "src", root / "no" / "folder" / "x"), shell, calls);
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Cannot create file \"")) << e.what();
    }
    EXPECT_FALSE(fs::exists(root / "x"));
}

TEST_F(BlockCopy, NeverEmptiesTheSourceThroughALinkToItself) {
    fs::path src = root / "a" / "f.bin";
    MakeFile(src, 1234);
    fs::create_directory_symlink(root / "a", root / "link");
    EXPECT_FALSE(BlockCopyFile(Files(src, root / "link" / "f.bin"), shell, calls));
    EXPECT_EQ(fs::file_size(src), 1234u);
}

} // namespace
