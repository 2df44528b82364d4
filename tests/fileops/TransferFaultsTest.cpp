// Copy and move under faults: files removed after the search that registered them, a target
// volume that fills up, and a cross-volume move interrupted at each of its steps. After
// each, every file exists whole at least once, no partial target is left and every row
// (in memory and in the saved database) names a file that exists whole.
#include "FileOpsFixture.h"

#include "fileops/CopyMoveFiles.h"
#include "platform/fs/FileErrors.h"
#include "platform/fs/Paths.h"
#include "search/SearchFiles.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <optional>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Thrown by a hook: the work stops at that point as if the program had failed there.
struct Interrupted {};

// A tmpfs of `size` mounted on the folder while it lives.
class SmallVolume {
public:
    SmallVolume(const fs::path& at, const char* size) : at_(at) {
        fs::create_directories(at);
        const std::string options = std::string("size=") + size;
        mounted_ = mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) == 0;
        if (!mounted_) error_ = std::strerror(errno);
    }
    ~SmallVolume() {
        if (mounted_) umount2(at_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }
    const std::string& Error() const { return error_; }

private:
    fs::path at_;
    bool mounted_ = false;
    std::string error_;
};

class TransferFaults : public FileOpsTest {
protected:
    void SetUp() override {
        FileOpsTest::SetUp();
        src = root / "src";
        dst = root / "dst";
        fs::create_directories(src);
        fs::create_directories(dst);
        dialogs.folder = QString::fromStdString(dst.string());
        shell = FakeShell();
        content.clear();
    }
    void TearDown() override {
        volume.reset();
        FileOpsTest::TearDown();
    }

    // Makes the files in src, registers them by a real search (rows in walk order) and
    // selects every row; keeps each file's content by its register name.
    void SearchFilesOf(const std::vector<std::pair<std::string, uint64_t>>& files) {
        unsigned seed = 1;
        for (const auto& [name, size] : files) {
            MakeFile(src / name, size, seed++);
            content[UpperCase(name)] = ReadAll(src / name);
        }
        TSearchWork work;
        SearchFiles(false, {RegDir(src)}, {"MKV"}, work, reg, shell);
        ASSERT_EQ(reg.LastRow(), int(files.size()));
        SelectRows(1, reg.LastRow());
    }

    bool MountSmallVolume(const char* size) {
        volume.emplace(root / "vol", size);
        if (!volume->Mounted()) return false;
        dst = root / "vol";
        dialogs.folder = QString::fromStdString(dst.string());
        return true;
    }

    // The whole content of the file that the row names, or "(missing)".
    std::string RowContent(const VideoRegister& r, int row) const {
        const std::string real = ResolvePath(RegisterPath(RowFilePath(r, row))).Bytes();
        return fs::exists(real) ? ReadAll(real) : "(missing)";
    }
    std::string Expected(const VideoRegister& r, int row) const {
        return content.at(std::string(r.Cell(colName, row)) + std::string(r.Cell(colType, row)));
    }

    // Each row in memory and in the saved database (when saved) names its file, whole; no
    // file lies in the target folder but whole copies.
    void ExpectEveryRowWhole() const {
        for (int row = 1; row <= reg.LastRow(); ++row)
            EXPECT_EQ(RowContent(reg, row), Expected(reg, row)) << "row " << row;
        if (fs::exists(root / "db.vdb")) {
            VideoRegister saved;
            LoadRegister(saved, ctx.vdbPath);
            for (int row = 1; row <= saved.LastRow(); ++row)
                EXPECT_EQ(RowContent(saved, row), Expected(saved, row)) << "saved row " << row;
        }
        for (const auto& entry : fs::directory_iterator(dst)) {
            const std::string name = UpperCase(entry.path().filename().string());
            if (content.count(name)) {
                EXPECT_EQ(ReadAll(entry.path()), content.at(name)) << "partial " << name;
            }
        }
        EXPECT_FALSE(shell.locked);
        EXPECT_FALSE(shell.breakButton);
    }

    fs::path src, dst;
    std::map<std::string, std::string> content; // register name -> bytes
    VolumeQueries volumes;
    std::optional<SmallVolume> volume;
};

} // namespace

TEST_F(TransferFaults, FileRemovedBetweenSearchAndCopyOrMove) {
    // 0: copy, 1: move by rename, 2: move across volumes.
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        SetUp();
        volumes.sameDrive = [kind](std::string_view a, std::string_view b) {
            return kind == 2 ? false : SameDrive(a, b);
        };
        SearchFilesOf({{"a.mkv", 1000}, {"b.mkv", kCopyBlockSize + 5}, {"c.mkv", 7}});
        const int goneRow = reg.Cell(colName, 1) == "B" ? 1 : reg.Cell(colName, 2) == "B" ? 2 : 3;
        const std::string gonePath = RowFilePath(reg, goneRow);
        fs::remove(src / "b.mkv");
        content.erase("B.MKV");

        kind == 0 ? CopySelectedFiles(ctx, volumes) : MoveSelectedFiles(ctx, volumes);

        const QString missing = QStringLiteral("文件不存在 ") + GbToQString(gonePath);
        EXPECT_EQ(shell.statusLog.count(missing), 2) << "in the pre-flight and in the loop";
        EXPECT_EQ(shell.statusLog.last(), kind == 0 ? QStringLiteral("成功拷贝文件 2个")
                                                    : QStringLiteral("成功移动文件 2个"));
        EXPECT_FALSE(shell.history.join("\n").contains(QStringLiteral("B.MKV")))
            << shell.history.join("\n").toStdString();
        EXPECT_EQ(RowFilePath(reg, goneRow), gonePath) << "the row of the missing file stays";
        EXPECT_FALSE(fs::exists(dst / "B.MKV"));
        EXPECT_EQ(ReadAll(dst / "A.MKV"), content.at("A.MKV"));
        EXPECT_EQ(ReadAll(dst / "C.MKV"), content.at("C.MKV"));
        VideoRegister saved;
        LoadRegister(saved, ctx.vdbPath);
        ASSERT_EQ(saved.LastRow(), 3) << "no row lost";
        for (int row = 1; row <= 3; ++row) {
            if (row == goneRow) continue;
            EXPECT_EQ(RowContent(reg, row), Expected(reg, row));
            EXPECT_EQ(RowContent(saved, row), Expected(saved, row));
        }
        EXPECT_EQ(RowFilePath(saved, goneRow), gonePath);
    }
}

// The file goes after the pre-flight counted it and just before its copy opens it: the
// open error ends the command; the files done before stay done (and, for a move, on record).
TEST_F(TransferFaults, FileRemovedJustBeforeItsCopy) {
    for (bool move : {false, true}) {
        SCOPED_TRACE(move ? "move" : "copy");
        SetUp();
        volumes.sameDrive = [](std::string_view, std::string_view) { return false; };
        SearchFilesOf({{"a.mkv", 3000}, {"b.mkv", 2 * kCopyBlockSize}});
        const int goneRow = reg.Cell(colName, 1) == "B" ? 1 : 2;
        const std::string gonePath = RowFilePath(reg, goneRow);
        shell.pb2.onSuffix = [&](const QString& suffix) {
            if (suffix.endsWith(GbToQString(gonePath))) fs::remove(src / "b.mkv");
        };
        content.erase("B.MKV");
        std::string error;
        try {
            move ? MoveSelectedFiles(ctx, volumes) : CopySelectedFiles(ctx, volumes);
        } catch (const EFileError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, "Cannot open file \"" + gonePath + "\". No such file or directory");
        EXPECT_FALSE(fs::exists(dst / "B.MKV"));
        EXPECT_EQ(RowFilePath(reg, goneRow), gonePath);
        shell.pb2.onSuffix = nullptr;
        if (goneRow == 2) {
            // The first row was done: its file is in place, and a move is on record.
            EXPECT_EQ(ReadAll(dst / "A.MKV"), content.at("A.MKV"));
            EXPECT_EQ(fs::exists(root / "db.vdb"), move);
        }
        for (int row = 1; row <= reg.LastRow(); ++row) {
            if (row == goneRow) continue;
            EXPECT_EQ(RowContent(reg, row), Expected(reg, row));
        }
        EXPECT_FALSE(shell.locked);
    }
}

// Another program fills the target volume during the copy (the pre-flight saw room), or
// the volume reports more room than it has: the write fails with the program's error, the
// partial target is removed, the source is untouched and no row changes.
TEST_F(TransferFaults, CopyAndMoveOntoAVolumeThatFillsUp) {
    if (!MountSmallVolume("1m"))
        GTEST_SKIP() << "cannot mount a 1 MiB tmpfs here (" << volume->Error()
                     << "); the file-size-limit tests in CopyMove stand in for a full disk";
    SearchFilesOf({{"a.mkv", 700 * 1024}, {"big.mkv", 3 * 1024 * 1024}});
    const int aRow = reg.Cell(colName, 1) == "A" ? 1 : 2;
    const std::vector<std::string> before = {RowFilePath(reg, 1), RowFilePath(reg, 2)};

    struct Case {
        const char* what;
        bool move;
        int row;  // the row selected
        bool lie; // the free-space query reports room that is not there
    };
    for (const Case& c : {Case{"copy, filled meanwhile", false, aRow, false},
                          Case{"move, filled meanwhile", true, aRow, false},
                          Case{"copy, free space misreported", false, 3 - aRow, true},
                          Case{"move, free space misreported", true, 3 - aRow, true}}) {
        SCOPED_TRACE(c.what);
        SelectRows(c.row, c.row);
        shell.history.clear();
        volumes.diskFree = [&c](std::string_view p) {
            return c.lie ? uint64_t(1) << 40 : GetDiskFreeBytes(p);
        };
        // The filler takes the room after the pre-flight counted it, as the row's copy starts
        // (its blocks are written on a worker that does not wait for the window).
        shell.pb2.onSuffix = [&](const QString&) {
            if (!c.lie) MakeFile(dst / "filler", 600 * 1024, 9);
        };
        shell.processed = 0;
        std::string error;
        try {
            c.move ? MoveSelectedFiles(ctx, volumes) : CopySelectedFiles(ctx, volumes);
        } catch (const EFileError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, "Stream write error");
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(dst))
            left.push_back(entry.path().filename().string());
        EXPECT_EQ(left, c.lie ? std::vector<std::string>{} : std::vector<std::string>{"filler"})
            << "no partial target";
        fs::remove(dst / "filler");
        for (int r = 1; r <= reg.LastRow(); ++r) {
            EXPECT_EQ(RowFilePath(reg, r), before[size_t(r - 1)]);
            EXPECT_EQ(RowContent(reg, r), Expected(reg, r)) << "source untouched";
        }
        EXPECT_FALSE(fs::exists(root / "db.vdb")) << "nothing done, nothing saved";
        EXPECT_FALSE(shell.locked);
        EXPECT_FALSE(shell.pb3.visible);
        shell.pb2.onSuffix = nullptr;
    }
}

// A move across volumes stopped at each of its steps. The interruption is an exception
// thrown from the window's services at that point, as a failure there would end the command.
TEST_F(TransferFaults, CrossVolumeMoveInterruptedAtEveryStep) {
    struct Step {
        const char* what;
        std::function<void()> arm;
        bool fileError; // the command ends with the program's error rather than the stop
    };
    auto isBigRow = [](const QString& text) { return text.endsWith(QStringLiteral("B.MKV")); };
    const std::vector<Step> steps = {
        {"after the target is created",
         [this, isBigRow] {
             shell.pb3.onVisible = [this, isBigRow](bool v) {
                 if (v && isBigRow(shell.pb2.suffixes.last())) throw Interrupted{};
             };
         },
         false},
        {"in the middle of the copy",
         [this, isBigRow] {
             shell.onProcessEvents = [this, isBigRow] {
                 if (isBigRow(shell.pb2.suffixes.last()) && shell.pb3.position == 2)
                     throw Interrupted{};
             };
         },
         false},
        {"after the last block, before the flush and size check",
         [this, isBigRow] {
             shell.onProcessEvents = [this, isBigRow] {
                 if (isBigRow(shell.pb2.suffixes.last()) && shell.pb3.position == 3)
                     throw Interrupted{};
             };
         },
         false},
        {"a write lost before the size check",
         [this, isBigRow] {
             shell.onProcessEvents = [this, isBigRow] {
                 if (isBigRow(shell.pb2.suffixes.last()) && shell.pb3.position == 3)
                     fs::resize_file(dst / ".~B.MKV.part", kCopyBlockSize); // the copy so far
             };
         },
         true},
        {"after the copy, before the source is deleted",
         [this, isBigRow] {
             shell.onHistory = [isBigRow](const QString& text) {
                 if (text.startsWith(QStringLiteral("复制成功:")) && isBigRow(text))
                     throw Interrupted{};
             };
         },
         false},
        {"after the source is deleted",
         [this, isBigRow] {
             shell.onHistory = [isBigRow](const QString& text) {
                 if (text.startsWith(QStringLiteral("原文件删除成功:")) && isBigRow(text))
                     throw Interrupted{};
             };
         },
         false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        SetUp();
        volumes.sameDrive = [](std::string_view, std::string_view) { return false; };
        // A whole number of blocks, so that the last block is followed by the flush.
        SearchFilesOf({{"a.mkv", 5000}, {"b.mkv", 3 * kCopyBlockSize}, {"c.mkv", 100}});
        // Rows A, B, C in this order: the interruption comes after one file moved.
        for (int r = 1; r <= 3; ++r)
            for (int j = r + 1; j <= 3; ++j)
                if (reg.Cell(colName, j) < reg.Cell(colName, r)) reg.SwapRows(r, j);
        ASSERT_EQ(reg.Cell(colName, 2), "B");
        step.arm();
        if (step.fileError)
            EXPECT_THROW(MoveSelectedFiles(ctx, volumes), EFileError);
        else
            EXPECT_THROW(MoveSelectedFiles(ctx, volumes), Interrupted);
        shell.onHistory = nullptr;
        shell.onProcessEvents = nullptr;
        shell.pb3.onVisible = nullptr;

        ExpectEveryRowWhole();
        EXPECT_TRUE(fs::exists(src / "b.mkv") || fs::exists(dst / "B.MKV"));
        EXPECT_EQ(ReadAll(dst / "A.MKV"), content.at("A.MKV")) << "the move before stays";
        EXPECT_TRUE(fs::exists(src / "c.mkv")) << "the row after is not touched";
        ASSERT_TRUE(fs::exists(root / "db.vdb")) << "the earlier move is on record";
    }
}

// The same steps with the process killed there (a crash or a power cut as far as the
// program can tell), in a child process. What is on disk afterwards: a whole copy of the
// file, nothing but a whole copy under the file's name in the target folder, and a saved
// database whose row names a file that exists whole until the source is deleted. (After the delete
// the database on disk is updated by the save at the end of the command; a kill between the two
// leaves it naming the old place.)
TEST_F(TransferFaults, CrossVolumeMoveKilledAtEveryStep) {
    auto isBigRow = [](const QString& text) { return text.endsWith(QStringLiteral("B.MKV")); };
    auto die = [] { kill(getpid(), SIGKILL); };
    struct Step {
        const char* what;
        std::function<void()> arm;
        bool named; // whether the copy has its name in the target folder yet
    };
    const std::vector<Step> steps = {
        {"after the target is created",
         [&] {
             shell.pb3.onVisible = [&](bool v) {
                 if (v && isBigRow(shell.pb2.suffixes.last())) die();
             };
         },
         false},
        {"in the middle of the copy",
         [&] {
             shell.onProcessEvents = [&] {
                 if (isBigRow(shell.pb2.suffixes.last()) && shell.pb3.position == 2) die();
             };
         },
         false},
        {"after the last block, before the flush",
         [&] {
             shell.onProcessEvents = [&] {
                 if (isBigRow(shell.pb2.suffixes.last()) && shell.pb3.position == 3) die();
             };
         },
         false},
        {"after the copy, before the source is deleted",
         [&] {
             shell.onHistory = [&](const QString& text) {
                 if (text.startsWith(QStringLiteral("复制成功:")) && isBigRow(text)) die();
             };
         },
         true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        SetUp();
        volumes.sameDrive = [](std::string_view, std::string_view) { return false; };
        SearchFilesOf({{"b.mkv", 3 * kCopyBlockSize}});
        SaveRegister(reg, ctx.vdbPath); // the user's database before the command
        step.arm();
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            MoveSelectedFiles(ctx, volumes);
            _exit(0); // the step was never reached
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "not killed there";

        const std::string whole = content.at("B.MKV");
        const bool sourceWhole = fs::exists(src / "b.mkv") && ReadAll(src / "b.mkv") == whole;
        const bool targetThere = fs::exists(dst / "B.MKV");
        EXPECT_TRUE(sourceWhole) << "the source goes only after the copy is whole";
        EXPECT_EQ(targetThere, step.named);
        if (targetThere) {
            EXPECT_EQ(ReadAll(dst / "B.MKV"), whole) << "a partial copy under the file's name";
        }
        VideoRegister saved;
        LoadRegister(saved, ctx.vdbPath);
        EXPECT_EQ(RowContent(saved, 1), whole) << "the saved row names a whole file";
        shell.onHistory = nullptr;
        shell.onProcessEvents = nullptr;
        shell.pb3.onVisible = nullptr;
    }
}
