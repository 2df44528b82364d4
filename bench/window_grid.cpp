// The main window over a large register: start-up (window creation with the register load,
// show, first paint) against LoadRegister alone, and the cost of a full repaint of the grid,
// of Ctrl+A and of a scroll, with 1,000,000 rows against 1,000 rows.
//   build/bench/bench_window_grid [rows] [folder]
#include "BenchUtil.h"

#include "app/RegisterGrid.h"
#include "app/uFrmMain.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <QApplication>
#include <QScrollBar>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

void WriteDatabase(const std::string& folder, int rows) {
    std::filesystem::create_directories(folder);
    std::ofstream out(folder + "/" + GbToUtf8(Utf8ToGb("视频登记库.vdb")), std::ios::binary);
    std::mt19937 rng(7);
    const std::string channel = Utf8ToGb("右声道"), name = Utf8ToGb("生化危机");
    for (int r = 1; r <= rows; ++r) {
        char res[16];
        std::snprintf(res, sizeof res, "%04dx%03d", 320 + int(rng() % 1600),
                      240 + int(rng() % 760));
        out << PadLeft(std::to_string(r), ' ', 5) << "^^/MEDIA/DISK" << rng() % 9 << "/" << name
            << "/^^" << name << r % 97 << "^^.RMVB^^0700,000,000^^01:30:00^^" << res << "^^"
            << channel << "^^1^^^^^^^^\r\n";
    }
}

struct Figures {
    double load, start, repaint, selectAll, scroll;
};

// Repaints the grid n times and returns the mean time of one repaint.
double RepaintCost(TFrmMain& w, int n) {
    w.sg->viewport()->repaint();
    return Time([&] {
               for (int i = 0; i < n; ++i)
                   w.sg->viewport()->repaint();
           }) /
           n;
}

Figures Measure(const std::string& folder, int rows) {
    WriteDatabase(folder, rows);
    Figures f{};
    {
        VideoRegister reg;
        f.load =
            Time([&] { LoadRegister(reg, Utf8ToGb(folder) + "/" + Utf8ToGb("视频登记库.vdb")); });
    }
    std::unique_ptr<TFrmMain> w;
    f.start = Time([&] {
        w = std::make_unique<TFrmMain>(Utf8ToGb(folder) + "/");
        w->show();
        QApplication::processEvents();
        w->repaint();
    });
    f.repaint = RepaintCost(*w, 50);
    f.selectAll = Time([&] {
        w->SelectAllRows();
        w->sg->viewport()->repaint();
    });
    f.scroll = Time([&] {
                   for (int i = 0; i < 50; ++i) {
                       w->sg->SetTopRow(rows / 2 + i);
                       w->sg->viewport()->repaint();
                   }
               }) /
               50;
    return f;
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("DISPLAY")) setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    int rows = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    std::string base = argc > 2 ? argv[2] : "/tmp/tavlora_bench_window";
    Figures small = Measure(base + "/small", 1000);
    Figures large = Measure(base + "/large", rows);
    std::printf("%-28s %12s %12s %8s\n", "measure", "1,000 rows", "large", "ratio");
    auto line = [](const char* what, double a, double b) {
        std::printf("%-28s %10.2f ms %10.2f ms %8.2f\n", what, a * 1e3, b * 1e3, b / a);
    };
    line("LoadRegister", small.load, large.load);
    line("window start (load, show)", small.start, large.start);
    line("full grid repaint", small.repaint, large.repaint);
    line("Ctrl+A and repaint", small.selectAll, large.selectAll);
    line("scroll one row and repaint", small.scroll, large.scroll);
    std::printf("window start / LoadRegister with %d rows: %.2f\n", rows, large.start / large.load);
    return 0;
}
