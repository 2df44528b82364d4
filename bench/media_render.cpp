// Render-and-measure of generated files through the graph (open, start, pause, read size and
// duration, stop, empty), against gst-discoverer-1.0 and ffprobe on the same files.
//   bench_media_render [folder] [count]
#include "MediaBenchFiles.h"

#include "media/FilterGraph.h"
#include "media/SampleGrabber.h"
#include "media/VideoWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace {

double SecondsOf(const std::string& command) {
    QElapsedTimer timer;
    timer.start();
    if (std::system(command.c_str()) != 0) return -1;
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const std::string dir = argc > 1 ? argv[1] : "bench_media_files";
    const int count = argc > 2 ? std::atoi(argv[2]) : 200;
    const std::vector<std::string> files = BenchMediaFiles(dir, count);

    TFilterGraph FG;
    TVideoWindow VW;
    TSampleGrabber SampleGrabber;
    VW.SetFilterGraph(&FG);
    SampleGrabber.SetFilterGraph(&FG);
    FG.SetActive(true);
    // Time spent in each step, summed over the files: where the cost per file goes.
    enum Step { Open, StartPause, Size, Duration, Stop, Empty, Steps };
    const char* const stepNames[Steps] = {
        "open with preroll", "start and pause", "picture size", "duration", "stop", "empty"};
    double stepMs[Steps] = {};
    QElapsedTimer stepTimer;
    auto step = [&](Step s) {
        stepMs[s] += stepTimer.nsecsElapsed() / 1e6;
        stepTimer.restart();
    };
    auto measure = [&](const std::string& file, int& failures) {
        stepTimer.start();
        if (FG.OpenMediaFile(RealPath(file)) != kRenderOk) ++failures;
        step(Open);
        FG.StartPlayback();
        FG.PausePlayback();
        step(StartPause);
        int w = 0, h = 0;
        FG.VideoSize(w, h);
        step(Size);
        if (FG.DurationMs() <= 0) ++failures;
        step(Duration);
        FG.StopPlayback();
        step(Stop);
        FG.EmptyGraph();
        step(Empty);
    };
    int failures = 0;
    QElapsedTimer timer;
    timer.start();
    measure(files[0], failures); // the first file of a process loads the plugins
    const double first = timer.nsecsElapsed() / 1e6;
    std::fill(std::begin(stepMs), std::end(stepMs), 0.0);
    timer.restart();
    for (const std::string& f : files)
        measure(f, failures);
    const double graphMs = timer.nsecsElapsed() / 1e6 / double(files.size());

    std::string all;
    for (const std::string& f : files)
        all += " \"" + f + "\"";
    const double discoverer = SecondsOf("gst-discoverer-1.0" + all + " > /dev/null 2>&1");
    double ffprobe = 0;
    for (const std::string& f : files) {
        const double s =
            SecondsOf("ffprobe -v error -show_entries format=duration:stream=width,height "
                      "-of csv=p=0 \"" +
                      f + "\" > /dev/null 2>&1");
        if (s < 0) {
            ffprobe = -1;
            break;
        }
        ffprobe += s;
    }
    std::printf("files: %zu (mkv/avi/mp4/mp3, 1 s, 320x240), failures: %d\n", files.size(),
                failures);
    std::printf("FG first file of the process: %.1f ms\n", first);
    std::printf("FG per file:                  %.1f ms\n", graphMs);
    for (int s = 0; s < Steps; ++s)
        std::printf("  %-27s %.1f ms\n", stepNames[s], stepMs[s] / double(files.size()));
    if (discoverer >= 0)
        std::printf("gst-discoverer-1.0 per file:  %.1f ms (one process for all files)\n",
                    discoverer * 1000 / double(files.size()));
    else
        std::printf("gst-discoverer-1.0: not available\n");
    if (ffprobe >= 0)
        std::printf("ffprobe per file:             %.1f ms (one process per file)\n",
                    ffprobe * 1000 / double(files.size()));
    else
        std::printf("ffprobe: not available\n");
    return 0;
}
