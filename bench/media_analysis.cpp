// The analysis command over generated short files through the real window (its DelayMs and
// progress bar), against the bound 100 ms + the graph's per-file cost per row, plus 10%, and
// the command's floor (its own waits: 200 ms + 100 ms a row). Also the process's CPU use
// during the command (the waits' share). With delays, the files are read through the
// slow-share fixture (a delay on every read of file data and another on every other call),
// and `gst-discoverer-1.0` over the same files on that share, serially in one process, is
// timed as well.
//   bench_media_analysis [folder] [count] [read delay us] [metadata delay us]
#include "MediaBenchFiles.h"
#include "support/SlowShare.h"

#include "app/uFrmMain.h"
#include "media/MediaAnalysis.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/resource.h>

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const std::string dir = argc > 1 ? argv[1] : "bench_media_files";
    const int count = argc > 2 ? std::atoi(argv[2]) : 100;
    std::vector<std::string> files = BenchMediaFiles(dir, count);
    std::unique_ptr<TSlowShare> share;
    if (argc > 4) {
        if (!TSlowShare::Usable()) return 2;
        const std::string source = std::filesystem::absolute(dir).string();
        const std::string mount = source + "-share";
        share = std::make_unique<TSlowShare>(source, mount, std::atoi(argv[4]), 1, 0,
                                             std::atoi(argv[3]));
        if (!share->Mounted()) {
            std::fprintf(stderr, "the share did not mount\n");
            return 1;
        }
        for (std::string& f : files)
            f = mount + f.substr(f.rfind('/'));
        std::printf("share: %s us a read, %s us any other call\n", argv[3], argv[4]);
    }
    const QString programDir = QDir::currentPath() + "/bench_media_program/";
    QDir().mkpath(programDir);
    TFrmMain w(QStringToGb(programDir));

    // The graph's own per-file cost in this run, plugins loaded.
    QElapsedTimer timer;
    w.FG->SetActive(true);
    w.FG->OpenMediaFile(RealPath(files[0]));
    timer.start();
    for (const std::string& f : files) {
        w.FG->OpenMediaFile(RealPath(f));
        w.FG->StartPlayback();
        w.FG->PausePlayback();
        int vw = 0, vh = 0;
        w.FG->VideoSize(vw, vh);
        w.FG->DurationMs();
        w.FG->StopPlayback();
        w.FG->EmptyGraph();
    }
    const double perFile = timer.nsecsElapsed() / 1e6 / double(files.size());

    VideoRegister& reg = w.Register();
    reg.SetRowCount(int(files.size()) + 1);
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string name = files[i].substr(files[i].rfind('/') + 1);
        const int row = int(i) + 1;
        reg.SetCell(colPath, row, UpperCase(Utf8ToGb(files[i].substr(0, files[i].rfind('/') + 1))));
        reg.SetCell(colName, row, UpperCase(Utf8ToGb(name.substr(0, name.find('.')))));
        reg.SetCell(colType, row, UpperCase(Utf8ToGb(name.substr(name.find('.')))));
    }
    reg.Cursor().SetSelection({1, 1, 11, int(files.size())});
    const double cpu0 = CpuSeconds();
    timer.restart();
    w.mnCal->trigger();
    const double wallMs = timer.nsecsElapsed() / 1e6;
    const double cpuMs = (CpuSeconds() - cpu0) * 1000;
    int filled = 0;
    for (int r = 1; r <= int(files.size()); ++r)
        filled += !reg.Cell(colDuration, r).empty();
    const double bound = double(files.size()) * (100 + perFile) * 1.1;
    const double floor = 200 + 100 * double(files.size());
    std::string discoverer = "gst-discoverer-1.0";
    for (const std::string& f : files)
        discoverer += " \"" + f + "\"";
    discoverer += " >/dev/null 2>&1";
    timer.restart();
    const int discovered = std::system(discoverer.c_str());
    const double discovererMs = timer.nsecsElapsed() / 1e6;
    std::printf("rows: %zu, filled: %d\n", files.size(), filled);
    std::printf("graph per file (no waits):  %.1f ms\n", perFile);
    std::printf("analysis wall time:         %.0f ms (%.1f ms per row)\n", wallMs,
                wallMs / double(files.size()));
    std::printf("bound 100 x (100 + %.1f) + 10%%: %.0f ms -> %s\n", perFile, bound,
                wallMs <= bound ? "within" : "OVER");
    std::printf("command's floor 200 + 100 x %zu:  %.0f ms; analysis / floor %.3fx\n", files.size(),
                floor, wallMs / floor);
    std::printf("gst-discoverer-1.0, serially:  %.0f ms%s\n", discovererMs,
                discovered == 0 ? "" : " (failed)");
    std::printf("process CPU during the command: %.0f ms (%.0f%% of one core)\n", cpuMs,
                100 * cpuMs / wallMs);
    return 0;
}
