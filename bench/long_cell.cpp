// A register row whose path cell holds 10 MB: making that cell current (the status line shows
// it) and repainting the grid, against the same in a window whose row 1 has a short path (the
// anchor), with the peak memory of each.
//   build/bench/bench_long_cell [megabytes] [folder]
#include "BenchUtil.h"

#include "app/RegisterGrid.h"
#include "app/StatusPanels.h"
#include "app/uFrmMain.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <QApplication>
#include <filesystem>
#include <fstream>

namespace {

void WriteDatabase(const std::string& folder, size_t pathBytes) {
    std::filesystem::create_directories(folder);
    std::ofstream out(folder + "/" + GbToUtf8(Utf8ToGb("视频登记库.vdb")), std::ios::binary);
    for (int r = 1; r <= 1000; ++r) {
        std::string path = r == 1 ? "/" + std::string(pathBytes, 'A') + "/" : "/MEDIA/DISK1/";
        out << std::string(4 - std::to_string(r).size() + 1, ' ') << r << "^^" << path << "^^NAME"
            << r << "^^.MKV^^0700000000^^01:30:00^^1920x1080^^^^1^^^^^^^^\r\n";
    }
}

// The median time of making the path cell of a row current, as a click does (the status
// line shows it), and repainting the grid and the status bar.
double ClickAndPaint(TFrmMain& w, int row) {
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        w.Register().Cursor().SetCurrent(colType, row); // away first
        times.push_back(Time([&] {
            w.Register().Cursor().SetCurrent(colPath, row);
            w.sg->viewport()->repaint();
            w.SB->repaint();
        }));
    }
    return Median(times);
}

} // namespace

// The click and repaint on row 1 of a window over a register whose row 1 has a path of
// pathBytes.
double Measure(const std::string& folder, size_t pathBytes) {
    WriteDatabase(folder, pathBytes);
    TFrmMain w(Utf8ToGb(folder) + "/");
    w.show();
    QApplication::processEvents();
    return ClickAndPaint(w, 1);
}

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 10;
    const std::string folder = argc > 2 ? argv[2] : "/tmp/tavlora_bench_long_cell";
    const double shortCell = Measure(folder + "/short", 12);
    const long long before = PeakResidentBytes();
    const double longCell = Measure(folder + "/long", size_t(megabytes * 1024 * 1024));
    std::printf("click and repaint, 12-byte path cell (anchor): %8.2f ms\n", shortCell * 1e3);
    std::printf("click and repaint, %.0f MB path cell:          %8.2f ms\n", megabytes,
                longCell * 1e3);
    std::printf("ratio %.1f; peak resident %.0f MB with the anchor, %.0f MB with the long cell\n",
                longCell / shortCell, double(before) / 1e6, double(PeakResidentBytes()) / 1e6);
    return 0;
}
