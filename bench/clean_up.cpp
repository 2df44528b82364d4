// The record clean-up on generated registers, each against its anchor in the same run:
// - the repeat removal on 100,000 rows with 30% repeated main names, against the row-by-row
//   loop that compares each row with every row above it (timed on 5,000 rows and
//   extrapolated by the square of the row ratio);
// - the purge on 100,000 rows of existing files (mixed-case names on disk, upper-case paths
//   in the register), against `xargs stat` of the same files.
// - the purge's lookup of a row whose folder runs through 18 levels of the links `A -> .` and
//   `a -> .` (every upper-case component fits twice), against the same lookup through 18
//   real folders, with the memory it takes (goal: under 0.1 s and 10 MB);
//   bench_clean_up [folder for the files]   (default: cleanup_tree beside the program)
#include "BenchUtil.h"
#include "app/uFrmMain.h"
#include "fileops/FileHelpers.h"
#include "maintenance/CleanUp.h"
#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"
#include "support/FakeShell.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kRows = 100000;
constexpr int kLiteralRows = 5000;

void Fill(VideoRegister& reg, const std::vector<std::array<std::string, 3>>& rows) {
    VideoRegister::BulkChange bulk(reg);
    std::vector<PackedRow> packed;
    for (const auto& row : rows) {
        std::array<std::string_view, PackedRow::kCells> cells{};
        cells[colPath] = row[0];
        cells[colName] = row[1];
        cells[colType] = row[2];
        packed.emplace_back(cells);
    }
    reg.SetRowCount(1);
    reg.AppendRows(std::move(packed));
    RenumberRows(reg);
}

// n rows, 30% of them repeating the main name of another row, in random order.
std::vector<std::array<std::string, 3>> RowsWithRepeats(int n) {
    std::mt19937 rng(9);
    const int unique = n * 7 / 10;
    std::vector<std::array<std::string, 3>> rows;
    for (int k = 0; k < n; ++k) {
        const int name = k < unique ? k : int(rng() % unsigned(unique));
        rows.push_back({"/MEDIA/DISK" + std::to_string(k % 50) + "/",
                        "MOVIE " + std::to_string(name), ".AVI"});
    }
    std::shuffle(rows.begin(), rows.end(), rng);
    return rows;
}

// The repeat removal as the command's loop reads: every row against every row above it,
// the scan bar set for each comparison, one DeleteRow per repeat.
int LiteralRemoveRepeats(VideoRegister& reg, IShell& shell) {
    int count = 0;
    shell.PB2().SetMax(reg.LastRow());
    for (int i = reg.LastRow(); i >= 2; --i) {
        shell.PB2().SetPosition(i);
        shell.PB2().SetSuffix("%  检查 " + GbToQString(RowPathText(reg, i)));
        shell.PB3().SetMax(i - 1);
        for (int j = i - 1; j >= 1; --j) {
            shell.PB3().SetPosition(j);
            if (reg.Cell(colName, j) == reg.Cell(colName, i)) {
                shell.AddHistory("删除记录：" + GbToQString(RowPathText(reg, i)));
                DeleteRow(reg, i);
                ++count;
                break;
            }
        }
    }
    RenumberRows(reg);
    return count;
}

void BenchRepeats() {
    VideoRegister big, small;
    Fill(big, RowsWithRepeats(kRows));
    Fill(small, RowsWithRepeats(kLiteralRows));
    FakeShell shell = FakeShell::ForBenchmark();
    int removed = 0, literalRemoved = 0;
    const double mine = Time([&] { removed = RemoveRepeatedNames(big, shell); });
    const double literal = Time([&] { literalRemoved = LiteralRemoveRepeats(small, shell); });
    const double scale = double(kRows) / kLiteralRows;
    std::printf("repeat removal, %d rows: %.3f s (%d removed)\n", kRows, mine, removed);
    std::printf("row-by-row loop, %d rows: %.3f s (%d removed); extrapolated to %d rows: %.0f s\n",
                kLiteralRows, literal, literalRemoved, kRows, literal * scale * scale);
}

// The same command from the main window's menu (offscreen): history log and bars included.
void BenchRepeatsInWindow() {
    QTemporaryDir programDir;
    TFrmMain window(QStringToGb(programDir.path()) + "/");
    Fill(window.Register(), RowsWithRepeats(kRows));
    const double seconds = Time([&] { window.mnDelLeft->trigger(); });
    std::printf("repeat removal from the window's menu, %d rows: %.3f s (%d rows left)\n", kRows,
                seconds, window.Register().LastRow());
}

// 100,000 files in 1,000 folders, mixed-case names; returns the list of their paths.
std::vector<std::string> MakeFiles(const fs::path& root) {
    std::vector<std::string> files;
    for (int k = 0; k < kRows; ++k) {
        fs::path dir =
            root / ("Disk" + std::to_string(k % 10)) / ("Series " + std::to_string(k % 1000));
        files.push_back((dir / ("Clip." + std::to_string(k) + ".avi")).string());
    }
    if (!fs::exists(root / "complete")) {
        fs::remove_all(root);
        for (const auto& f : files) {
            fs::create_directories(fs::path(f).parent_path());
            std::ofstream touch(f);
        }
        std::ofstream(root / "complete");
    }
    return files;
}

void BenchPurge(const fs::path& root) {
    const std::vector<std::string> files = MakeFiles(root);
    const std::string list = (root / "files.txt").string();
    {
        std::ofstream out(list);
        for (const auto& f : files)
            out << f << '\n';
    }
    std::vector<std::array<std::string, 3>> rows;
    for (const auto& f : files) {
        const std::string upper = UpperCase(Utf8ToGb(f));
        const size_t slash = upper.rfind('/'), dot = upper.rfind('.');
        rows.push_back({upper.substr(0, slash + 1), upper.substr(slash + 1, dot - slash - 1),
                        upper.substr(dot)});
    }
    const std::string stat = "xargs -d '\\n' -a '" + list + "' stat > /dev/null";
    TimeShell(stat); // warms the cache
    double bestStat = 1e9, bestPurge = 1e9;
    int count = -1, left = 0;
    for (int run = 0; run < 3; ++run) {
        bestStat = std::min(bestStat, TimeShell(stat));
        VideoRegister reg;
        Fill(reg, rows);
        FakeShell shell = FakeShell::ForBenchmark();
        ClearResolverCache();
        bestPurge = std::min(bestPurge, Time([&] { count = PurgeMissingFiles(reg, shell); }));
        left = reg.LastRow();
    }
    std::printf("purge, %d rows of existing files: %.3f s (%d removed, %d rows left)\n", kRows,
                bestPurge, count, left);
    std::printf("xargs stat of the same files: %.3f s; ratio %.2f (best of 3)\n", bestStat,
                bestPurge / bestStat);
}

// The time and the growth of the peak resident size of one purge lookup of `path`, from an
// empty listing cache.
void TimeLookup(const char* what, const std::string& path, double& seconds, long long& bytes) {
    ClearResolverCache();
    const long long before = PeakResidentBytes();
    const long long resident = ResidentBytes();
    bool found = false;
    seconds = Time([&] { found = AnyFileExists(RegisterPath(path)); });
    bytes = PeakResidentBytes() - std::max(before, resident);
    if (!found) std::fprintf(stderr, "%s: the file was not found\n", what);
}

void BenchLinkLevels() {
    constexpr int kLevels = 18;
    QTemporaryDir folder;
    const fs::path root = folder.path().toStdString();
    const fs::path links = root / "links", plain = root / "folders";
    fs::create_directories(links);
    for (const char* name : {"A", "a"})
        if (!fs::is_symlink(links / name)) fs::create_directory_symlink(".", links / name);
    std::ofstream(links / "g.avi");
    std::string levels;
    for (int i = 0; i < kLevels; ++i)
        levels += "A/";
    fs::create_directories(plain / levels);
    std::ofstream(plain / levels / "g.avi");
    auto registerPath = [&](const fs::path& top) {
        return UpperCase(Utf8ToGb(fs::canonical(top).string())) + "/" + levels + "G.AVI";
    };
    double throughLinks = 0, throughFolders = 0;
    long long linkBytes = 0, folderBytes = 0;
    TimeLookup("links", registerPath(links), throughLinks, linkBytes);
    TimeLookup("folders", registerPath(plain), throughFolders, folderBytes);
    std::printf("lookup through %d levels of case-variant links: %.4f s, %.1f MB\n", kLevels,
                throughLinks, double(linkBytes) / 1e6);
    std::printf("lookup through %d real folders: %.4f s, %.1f MB; ratio %.2f\n", kLevels,
                throughFolders, double(folderBytes) / 1e6, throughLinks / throughFolders);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const fs::path root =
        argc > 1 ? fs::path(argv[1])
                 : fs::path(QCoreApplication::applicationDirPath().toStdString()) / "cleanup_tree";
    BenchLinkLevels(); // first, while the peak resident size is still low
    BenchRepeats();
    BenchRepeatsInWindow();
    BenchPurge(root);
    return 0;
}
