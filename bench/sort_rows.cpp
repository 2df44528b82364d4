// The six sort commands on a generated register against GNU sort of the same database file
// with the same primary and secondary keys (sizes, durations and resolutions by value), in
// the same run.
//   bench_sort_rows [rows]   (default 1,000,000)
// The database (paths over 2,000 folders, main names with many repeats, a tenth of them
// Chinese, six types, sizes, durations and resolutions in their stored formats, a tenth of
// the rows not yet analysed) is written beside the program and loaded fresh for each sort.
#include "BenchUtil.h"
#include "maintenance/SortKeys.h"
#include "maintenance/SortRows.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <QCoreApplication>
#include <cstdio>
#include <random>
#include <string>

namespace {

std::string Format(const char* format, int a, int b, int c) {
    char text[64];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

void MakeDatabase(const std::string& path, int rows) {
    std::mt19937 rng(42);
    auto below = [&](int n) { return int(rng() % unsigned(n)); };
    const char* types[] = {".RMVB", ".AVI", ".MKV", ".MP4", ".RM", ".WMV"};
    const char* resolutions[] = {"0720x576", "1920x1080", "1280x720", "0640x480",
                                 "1920x800", "0352x288",  "3840x2160"};
    const std::string chinese = Utf8ToGb("变形金刚"), channel = Utf8ToGb("右声道");
    VideoRegister reg;
    {
        VideoRegister::BulkChange bulk(reg);
        std::vector<PackedRow> packed;
        packed.reserve(size_t(rows));
        for (int r = 0; r < rows; ++r) {
            const int folder = below(2000);
            const std::string dir = Format("/MEDIA/DISK%d/SERIES %d/SEASON %d/", folder / 100,
                                           folder % 100, folder % 7);
            const std::string name =
                (below(10) == 0 ? chinese : std::string("MOVIE ")) + std::to_string(below(300000));
            const bool analysed = below(10) != 0;
            const std::string size =
                analysed ? Format("%4.4d,%3.3d,%3.3d", below(4000), below(1000), below(1000)) : "";
            const std::string time =
                analysed ? Format("%2.2d:%2.2d:%2.2d", below(4), below(60), below(60)) : "";
            std::array<std::string_view, PackedRow::kCells> cells{};
            cells[colPath] = dir;
            cells[colName] = name;
            cells[colType] = types[below(6)];
            cells[colSize] = size;
            cells[colDuration] = time;
            cells[colResolution] = analysed ? resolutions[below(7)] : "";
            cells[colChannel] = channel;
            cells[colTrack] = "1";
            packed.emplace_back(cells);
        }
        reg.SetRowCount(1);
        reg.AppendRows(std::move(packed));
        RenumberRows(reg);
    }
    SaveRegister(reg, path);
}

bool Sorted(const VideoRegister& reg, SortOrder order) {
    for (int r = 2; r <= reg.LastRow(); ++r) {
        const int c = CompareSortCells(order.primary, reg.Cell(order.primary, r - 1),
                                       reg.Cell(order.primary, r));
        if (c > 0 || (c == 0 && CompareSortCells(order.secondary, reg.Cell(order.secondary, r - 1),
                                                 reg.Cell(order.secondary, r)) > 0))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const std::string file =
        QCoreApplication::applicationDirPath().toStdString() + "/sort_bench.vdb";
    MakeDatabase(file, rows);
    struct Command {
        const char* name;
        SortOrder order;
    } commands[] = {{"mnSortDir", kSortByDir},           {"mnSortResolution", kSortByResolution},
                    {"mnSortFileName", kSortByFileName}, {"mnSortSize", kSortBySize},
                    {"mnSortTime", kSortByTime},         {"mnSortType", kSortByType}};
    std::printf("%d rows\n%-18s %10s %10s %7s\n", rows, "command", "Tavlora", "GNU sort", "ratio");
    bool ok = true;
    for (const Command& c : commands) {
        VideoRegister reg;
        LoadRegister(reg, file);
        const double mine = Time([&] { SortRegister(reg, c.order); });
        ok = ok && Sorted(reg, c.order);
        // Cell c is field 2c+1 when the line is split at each "^". Sizes, durations and
        // resolutions go by their digit runs' values (version order), as ours do.
        const std::string keys = std::to_string(2 * c.order.primary + 1);
        const std::string second = std::to_string(2 * c.order.secondary + 1);
        const bool byValue = c.order.primary == colSize || c.order.primary == colDuration ||
                             c.order.primary == colResolution;
        const double gnu =
            TimeShell("LC_ALL=C sort -t '^' -k" + keys + "," + keys + (byValue ? "V" : "") + " -k" +
                      second + "," + second + " '" + file + "' > /dev/null");
        std::printf("%-18s %9.3fs %9.3fs %7.2f\n", c.name, mine, gnu, mine / gnu);
        std::fflush(stdout);
    }
    std::remove(file.c_str());
    if (!ok) std::printf("NOT SORTED\n");
    return ok ? 0 : 1;
}
