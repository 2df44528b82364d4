// The copy and move commands against cp(1) and mv(1) on the same files, same file system.
//   bench_file_copy [work folder [big|many|move]]   (default: file_copy_work beside the
//   program, all three measures)
// Copies one 1 GiB file and 1,000 files of 1 MiB to another folder through the copy command,
// and moves 1,000 files through the move command; the anchors copy and move the same files
// in the same run. Files carry lower-case names on disk and upper-case register paths, as
// a search registers them. The commands run through the main window's menu items, with its
// own progress bars painting at each step (offscreen). Each measure is the best of three;
// the page cache is written back before each timed run.
#include "BenchUtil.h"
#include "app/uFrmMain.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"
#include "support/FakeDialogs.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kSmallFiles = 1000;
constexpr uint64_t kMiB = 1 << 20;

void WriteFile(const fs::path& path, uint64_t size, unsigned seed) {
    std::ofstream out(path, std::ios::binary);
    std::vector<uint32_t> block(kMiB / 4);
    for (uint64_t done = 0; done < size; done += kMiB) {
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = uint32_t((done / 4 + i) * 2654435761u + seed);
        out.write(reinterpret_cast<const char*>(block.data()),
                  std::streamsize(std::min<uint64_t>(kMiB, size - done)));
    }
}

std::string SmallName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "clip%04d", i);
    return name;
}

std::string RegisterDir(const fs::path& dir) {
    return UpperCase(Utf8ToGb(dir.string())) + "/";
}

// The register rows of the given files (lower-case names on disk, ".mkv"), shown.
void FillRegister(VideoRegister& reg, const fs::path& dir, const std::vector<std::string>& names) {
    ClearRegister(reg);
    reg.SetRowCount(int(names.size()) + 1);
    for (size_t i = 0; i < names.size(); ++i) {
        int row = int(i) + 1;
        reg.SetCell(colPath, row, RegisterDir(dir));
        reg.SetCell(colName, row, UpperCase(names[i]));
        reg.SetCell(colType, row, ".MKV");
    }
    RenumberRows(reg);
    reg.Cursor().SetSelection({1, 1, 11, reg.LastRow()});
    // A user's window has shown its rows long before a command is chosen: the paint of the
    // new rows is not the command's.
    QCoreApplication::processEvents();
}

void Fresh(const fs::path& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::system("sync");
}

struct Pair {
    double engine = 1e9, anchor = 1e9;
};

void Report(const char* what, const Pair& p, uint64_t bytes, const char* anchor) {
    if (bytes > 0) {
        double mbEngine = double(bytes) / kMiB / p.engine,
               mbAnchor = double(bytes) / kMiB / p.anchor;
        std::printf(
            "%-34s engine %7.3f s (%6.0f MiB/s)  %s %7.3f s (%6.0f MiB/s)  throughput ratio %.2f\n",
            what, p.engine, mbEngine, anchor, p.anchor, mbAnchor, mbEngine / mbAnchor);
    } else {
        std::printf("%-34s engine %7.3f s  %s %7.3f s  time ratio %.2f\n", what, p.engine, anchor,
                    p.anchor, p.engine / p.anchor);
    }
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    fs::path work =
        argc > 1 && *argv[1]
            ? fs::path(argv[1])
            : fs::path(QCoreApplication::applicationDirPath().toStdString()) / "file_copy_work";
    const std::string only = argc > 2 ? argv[2] : "";
    auto wanted = [&](const char* what) { return only.empty() || only == what; };
    fs::path src = work / "src", small = work / "src" / "small", out = work / "out",
             moveSrc = work / "move_src", moveOut = work / "move_out";
    fs::create_directories(small);
    if (!fs::exists(src / "big.mkv") || fs::file_size(src / "big.mkv") != 1024 * kMiB)
        WriteFile(src / "big.mkv", 1024 * kMiB, 7);
    std::vector<std::string> names;
    for (int i = 0; i < kSmallFiles; ++i) {
        names.push_back(SmallName(i));
        fs::path f = small / (names.back() + ".mkv");
        if (!fs::exists(f) || fs::file_size(f) != kMiB) WriteFile(f, kMiB, unsigned(i));
    }

    FakeDialogs dialogs;
    TFrmMain w(Utf8ToGb(work.string()) + "/", &dialogs);
    w.show();
    QCoreApplication::processEvents();
    VideoRegister& reg = w.Register();
    // Every file done writes one history line; the log starts empty.
    auto historyLines = [&] { return w.mmHis->document()->isEmpty() ? 0 : w.mmHis->blockCount(); };
    auto status = [&] { return w.StatusText(1).toUtf8(); };
    dialogs.folder = QString::fromStdString(out.string());
    const std::string outQ = "'" + out.string() + "'";

    Pair big, many, move;
    for (int run = 0; run < 3; ++run) {
        if (wanted("big")) {
            FillRegister(reg, src, {"big"});
            Fresh(out);
            big.engine = std::min(big.engine, Time([&] { w.mnCopy->trigger(); }));
            if (historyLines() != 1) std::fprintf(stderr, "big copy: %s\n", status().constData());
            Fresh(out);
            big.anchor =
                std::min(big.anchor, TimeShell("cp '" + (src / "big.mkv").string() + "' " + outQ));
        }
        if (wanted("many")) {

            FillRegister(reg, small, names);
            Fresh(out);
            many.engine = std::min(many.engine, Time([&] { w.mnCopy->trigger(); }));
            if (historyLines() != kSmallFiles)
                std::fprintf(stderr, "small copy: %s\n", status().constData());
            Fresh(out);
            many.anchor = std::min(many.anchor, TimeShell("cp '" + small.string() + "'/* " + outQ));
        }
        if (!wanted("move")) continue;

        // Moves: the 1,000 files are hard-linked into place first (not timed).
        auto stage = [&] {
            fs::remove_all(moveSrc);
            fs::create_directories(moveSrc);
            for (const std::string& n : names)
                fs::create_hard_link(small / (n + ".mkv"), moveSrc / (n + ".mkv"));
            Fresh(moveOut);
        };
        stage();
        FillRegister(reg, moveSrc, names);
        dialogs.folder = QString::fromStdString(moveOut.string());
        move.engine = std::min(move.engine, Time([&] { w.mnMove->trigger(); }));
        if (historyLines() != kSmallFiles) std::fprintf(stderr, "move: %s\n", status().constData());
        dialogs.folder = QString::fromStdString(out.string());
        stage();
        move.anchor = std::min(
            move.anchor, TimeShell("mv '" + moveSrc.string() + "'/* '" + moveOut.string() + "'"));
    }
    // What the commands told the user (a full disk, a failure) is said beside the figures.
    for (const QString& text : dialogs.information)
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    for (const QString& text : dialogs.errors)
        std::fprintf(stderr, "error: %s\n", text.toUtf8().constData());
    if (wanted("big")) Report("copy 1 x 1 GiB", big, 1024 * kMiB, "cp");
    if (wanted("many")) Report("copy 1,000 x 1 MiB", many, kSmallFiles * kMiB, "cp");
    if (wanted("move")) Report("move 1,000 files, one file system", move, 0, "mv");
    fs::remove_all(out);
    fs::remove_all(moveSrc);
    fs::remove_all(moveOut);
    return 0;
}
