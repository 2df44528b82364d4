// A share whose server stopped answering (slowsharefs frozen by SIGSTOP), at the default
// disk deadline, measured where the window could wait on it:
// - the start-up to the shown window with the frozen share mounted, against a start-up
//   without it in the same run;
// - the break of a search into the share: from the break to the search's return;
// - the purge of 1,000 rows on the share, against the deadline.
//   bench_frozen_share
#include "BenchUtil.h"
#include "app/uFrmMain.h"
#include "maintenance/CleanUp.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"
#include "search/SearchFiles.h"
#include "support/FakeShell.h"
#include "support/SlowShare.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

// Constructs and shows the main window over a fresh program folder, and lets it paint.
double StartUp(const QString& folder) {
    return Time([&] {
        TFrmMain window(QStringToGb(folder));
        window.show();
        QCoreApplication::processEvents();
    });
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is known
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    if (!TSlowShare::Usable()) return 2;
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    QDir().mkpath(QString::fromStdString(base + "/nas/films"));
    QDir().mkpath(QString::fromStdString(base + "/program"));
    for (int i = 0; i < 1000; ++i)
        std::ofstream(base + "/nas/films/film " + std::to_string(i) + ".avi");
    const QString program = QString::fromStdString(base + "/program/");

    // Start-ups alternate between none and a frozen share mounted, seven of each, so that
    // both meet the same load of the machine; the medians are compared.
    StartUp(program); // loads fonts and plug-ins once
    std::vector<double> plain, frozen;
    for (int i = 0; i < 7; ++i) {
        plain.push_back(StartUp(program));
        TSlowShare share(base + "/nas", base + "/mnt" + std::to_string(i), 0, 1);
        if (!share.Mounted()) return 2;
        share.Freeze();
        frozen.push_back(StartUp(program));
    }
    std::printf("start-up: %.3f s without the share, %.3f s with it frozen (%.2fx), medians "
                "of 7\n",
                Median(plain), Median(frozen), Median(frozen) / Median(plain));

    TSlowShare share(base + "/nas", base + "/mnt", 0, 1);
    if (!share.Mounted()) return 2;
    share.Freeze();

    // The break arrives 0.5 s into the search, while the location's lookup waits on the share.
    const std::string location = UpperCase(Utf8ToGb(base + "/mnt/films"));
    {
        VideoRegister reg;
        FakeShell shell = FakeShell::ForBenchmark();
        TSearchWork work;
        BreakFlag = false;
        std::chrono::steady_clock::time_point broke;
        QTimer::singleShot(500, [&] {
            broke = std::chrono::steady_clock::now();
            BreakFlag = true;
        });
        SearchFiles(false, {location}, {"AVI"}, work, reg, shell);
        std::printf("break of a search into it: returned %.1f ms after the break\n",
                    Seconds(broke) * 1000);
    }
    {
        VideoRegister reg;
        std::vector<PackedRow> rows;
        for (int i = 0; i < 1000; ++i) {
            const std::string name = "FILM " + std::to_string(i);
            std::array<std::string_view, PackedRow::kCells> cells{};
            cells[colPath] = location;
            cells[colName] = name;
            cells[colType] = ".AVI";
            rows.emplace_back(cells);
        }
        reg.AppendRows(std::move(rows));
        FakeShell shell = FakeShell::ForBenchmark();
        int purged = 0;
        const double purge = Time([&] { purged = PurgeMissingFiles(reg, shell); });
        std::printf("purge of 1,000 rows on it: %.2f s (deadline %.0f s), %d rows removed, "
                    "%d history line(s)\n",
                    purge, DiskDeadlineMs() / 1000.0, purged, shell.historyLines);
    }
    return 0;
}
