// The load run: one scripted pass of a 1,000,000-row register through load, the six sorts,
// a query over all rows, the repeat removal, a purge that removes 100,000 rows, the text
// export and the workbook export, with the time of each step and the resident memory after
// it. Each step's result is checked, so a fast wrong answer does not pass.
//   build/bench/bench_load_run [rows] [folder]      (defaults: 1000000, /tmp/tavlora-load-run)
#include "BenchUtil.h"
#include "RegisterGenerator.h"
#include "support/FakeShell.h"

#include "export/TextExport.h"
#include "export/WorkbookExport.h"
#include "maintenance/CleanUp.h"
#include "maintenance/QueryRows.h"
#include "maintenance/SortKeys.h"
#include "maintenance/SortRows.h"

#include <QCoreApplication>
#include <algorithm>
#include <filesystem>
#include <unordered_set>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Rows purged: 100,000, or half the rows of a smaller trial run.
int PurgeCount(const VideoRegister& reg) {
    return std::min(100000, reg.LastRow() / 2);
}

void Report(const char* step, double seconds, const std::string& outcome) {
    std::printf("%-28s %9.2f s  RSS %7.1f MB  peak %7.1f MB  %s\n", step, seconds,
                double(ResidentBytes()) / 1e6, double(PeakResidentBytes()) / 1e6, outcome.c_str());
    std::fflush(stdout);
}

void Require(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "load run: %s\n", what);
    std::exit(1);
}

bool SortedBy(const VideoRegister& reg, int col) {
    for (int r = 2; r <= reg.LastRow(); ++r)
        if (CompareSortCells(col, reg.Cell(col, r - 1), reg.Cell(col, r)) > 0) return false;
    return true;
}

// Points every row at one of `files` existing files, except every step-th row up to
// PurgeCount rows, which get a file that does not exist.
void PointRowsAtFiles(VideoRegister& reg, const std::string& folder, int files) {
    const int purge = PurgeCount(reg);
    const int step = std::max(1, reg.LastRow() / purge);
    int missing = 0;
    VideoRegister::BulkChange bulk(reg);
    for (int r = 1; r <= reg.LastRow(); ++r) {
        bool gone = r % step == 0 && missing < purge;
        missing += gone;
        reg.SetCell(colPath, r, folder);
        reg.SetCell(colName, r, (gone ? "GONE" : "F") + std::to_string(gone ? r : r % files));
        reg.SetCell(colType, r, ".AVI");
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    const std::string dir = (argc > 2 ? argv[2] : "/tmp/tavlora-load-run") + std::string("/");
    fs::remove_all(dir);
    fs::create_directories(dir + "FILES");
    const std::string vdb = dir + "register.vdb";

    // 30% of the rows repeat the main name of a row above them: a repeat takes the name of
    // a row drawn from those above, so every repeat is a real one.
    std::mt19937 rng(11);
    {
        std::ofstream out(vdb, std::ios::binary);
        std::vector<int> nameIds(size_t(rows) + 1);
        for (int r = 1; r <= rows; ++r) {
            const bool repeat = r > 1 && rng() % 10 < 3;
            nameIds[size_t(r)] = repeat ? nameIds[1 + rng() % unsigned(r - 1)] : rows + r;
            out << MakeRegisterLine(rng, r, nameIds[size_t(r)]);
        }
    }
    const int files = 1000;
    for (int i = 0; i < files; ++i)
        std::ofstream(dir + "FILES/F" + std::to_string(i) + ".AVI");
    std::printf("register of %d rows, %.1f MB\n", rows, double(fs::file_size(vdb)) / 1e6);
    Report("start", 0, "");

    VideoRegister reg;
    FakeShell shell = FakeShell::ForBenchmark();
    double t = Time([&] { LoadRegister(reg, vdb); });
    Require(reg.LastRow() == rows, "load: wrong row count");
    Report("load", t, std::to_string(reg.LastRow()) + " rows");

    const std::pair<const char*, SortOrder> sorts[] = {
        {"sort by folder", kSortByDir},         {"sort by resolution", kSortByResolution},
        {"sort by file name", kSortByFileName}, {"sort by size", kSortBySize},
        {"sort by duration", kSortByTime},      {"sort by type", kSortByType}};
    for (const auto& [name, order] : sorts) {
        t = Time([&] { SortRegister(reg, order); });
        Require(SortedBy(reg, order.primary) && reg.LastRow() == rows, name);
        Report(name, t, "ordered");
    }

    // A name that no row holds: the query scans every row and wraps around.
    reg.Cursor().SetCurrent(colName, 1);
    t = Time([&] { QueryRegister(reg, shell, kQueryFileName, QStringLiteral(u"不存在的片名")); });
    Require(reg.Cursor().CurRow() == 1, "query: moved without a match");
    Report("query (no match)", t, "all rows scanned");

    int removed = 0;
    t = Time([&] { removed = RemoveRepeatedNames(reg, shell); });
    std::unordered_set<std::string_view> names;
    for (int r = 1; r <= reg.LastRow(); ++r)
        Require(names.insert(reg.Cell(colName, r)).second, "repeat removal: a repeat is left");
    Require(removed + reg.LastRow() == rows && shell.historyLines == removed,
            "repeat removal: counts");
    Report("repeat removal", t, std::to_string(removed) + " removed");

    PointRowsAtFiles(reg, dir + "FILES/", files);
    const int beforePurge = reg.LastRow();
    const int toPurge = PurgeCount(reg);
    int purged = 0;
    t = Time([&] { purged = PurgeMissingFiles(reg, shell); });
    Require(purged == toPurge && reg.LastRow() == beforePurge - toPurge, "purge: counts");
    Report("purge", t, std::to_string(purged) + " removed");

    t = Time([&] { ExportTextCommand(reg, dir, shell); });
    const std::string text = dir + "视频文件登记列表.txt";
    Require(fs::file_size(text) > size_t(reg.LastRow()) * 14, "text export: too small");
    Report("text export", t, std::to_string(fs::file_size(text) / 1000000) + " MB");

    TExcelApplication excel;
    TExcelWorkbook book;
    t = Time([&] { ExportWorkbookCommand(reg, dir, shell, excel, book); });
    const std::string xls = dir + "视频文件登记列表.xls";
    Require(fs::file_size(xls) > size_t(reg.LastRow()) * 12, "workbook export: too small");
    Report("workbook export", t, std::to_string(fs::file_size(xls) / 1000000) + " MB");

    std::printf("peak resident memory of the run: %.1f MB\n", double(PeakResidentBytes()) / 1e6);
    fs::remove_all(dir);
    return 0;
}
