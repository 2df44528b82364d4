// Full screen at 3840x2160 under Xvfb: the CPU the program spends playing a 1080p30 H.264 file
// over the whole screen, against GStreamer's own software path to the same size in the same
// run (decode, convert, scale, ximagesink), measured before and after the program. Both keep
// to the clock and drop late frames, so a busy machine makes each show fewer of them: the CPU
// per frame shown is compared as well as the CPU. With "pane", the film plays unscaled in a
// 1920x1080 pane on a screen of that size instead, against playbin into ximagesink (with the
// program's playbin flags). TAVLORA_VIDEO_SINK picks the program's presenter.
//   bench_media_fullscreen [folder] [seconds] [pane]
#include "MediaBenchFiles.h"
#include "support/Xvfb.h"

#include "media/FilterGraph.h"
#include "media/VideoWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

namespace {

double CpuSeconds(int who) {
    rusage use{};
    getrusage(who, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

struct Use {
    double cpu = 0, wall = 0;
    long frames = 0; // shown
    double CpuPerFrameMs() const { return frames > 0 ? cpu * 1000 / double(frames) : 0; }
};

// The anchor's sink reports the frames it rendered when it stops, in its debug log.
long RenderedInLog(const std::string& log) {
    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    const size_t at = all.rfind("rendered: ");
    return at == std::string::npos ? 0 : std::atol(all.c_str() + at + 10);
}

Use Anchor(const std::string& file, const std::string& log, bool pane) {
    const std::string graph =
        pane ? "playbin flags=video+audio+soft-volume+deinterlace video-sink=ximagesink "
               "uri=\"file://" +
                   std::filesystem::absolute(file).string() + "\""
             : "filesrc location=\"" + file +
                   "\" ! qtdemux ! h264parse ! avdec_h264 ! videoconvert ! "
                   "videoscale ! video/x-raw,width=3840,height=2160 ! ximagesink";
    const std::string command = "GST_DEBUG=basesink:5 GST_DEBUG_NO_COLOR=1 GST_DEBUG_FILE=\"" +
                                log + "\" gst-launch-1.0 -q " + graph;
    const double cpu = CpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer wall;
    wall.start();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    return {CpuSeconds(RUSAGE_CHILDREN) - cpu, wall.nsecsElapsed() / 1e9, RenderedInLog(log)};
}

// The frames the sink took from the graph (the sink inside the pane's bin, when it has one).
long SinkRendered(TFilterGraph& FG) {
    GstElement* sink = GstElementOf(FG.FindElementByName(QStringLiteral("VW")));
    if (sink && GST_IS_BIN(sink)) {
        GValue item = G_VALUE_INIT;
        GstIterator* it = gst_bin_iterate_sinks(GST_BIN(sink));
        sink = gst_iterator_next(it, &item) == GST_ITERATOR_OK
                   ? GST_ELEMENT(g_value_get_object(&item))
                   : nullptr; // the bin holds it
        g_value_unset(&item);
        gst_iterator_free(it);
    }
    GstStructure* stats = nullptr;
    if (sink) g_object_get(sink, "stats", &stats, nullptr);
    guint64 rendered = 0;
    if (stats) {
        gst_structure_get_uint64(stats, "rendered", &rendered);
        gst_structure_free(stats);
    }
    return long(rendered);
}

// Counts the paints of the full-screen view: each shows the latest frame.
class PaintCount : public QObject {
public:
    long paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : "bench_media_files";
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    const bool pane = argc > 3 && std::string(argv[3]) == "pane";
    Xvfb server(pane ? QStringLiteral("1920x1080x24") : QStringLiteral("3840x2160x24"));
    if (server.Display().isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", server.Display().toLatin1().constData(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    EnsureGstInit();
    std::filesystem::create_directories(dir);
    const std::string file = dir + "/fullscreen_1080p30_" + std::to_string(seconds) + "s.mp4";
    GenerateMediaFile(file, "videotestsrc num-buffers=" + std::to_string(seconds * 30) +
                                " pattern=smpte horizontal-speed=4 ! "
                                "video/x-raw,width=1920,height=1080,framerate=30/1 ! "
                                "x264enc speed-preset=ultrafast ! h264parse ! mp4mux");

    const std::string log = dir + "/anchor.log";
    const Use before = Anchor(file, log, pane);
    QApplication app(argc, argv);
    TFilterGraph FG;
    TVideoWindow VW;
    VW.SetFilterGraph(&FG);
    // The pane stays shown under the full-screen view, as in the window.
    VW.resize(pane ? QSize(1920, 1080) : QSize(640, 360));
    VW.show();
    FG.SetActive(true);
    VW.SetFullScreen(!pane);
    if (FG.OpenMediaFile(RealPath(file)) != kRenderOk) {
        std::fprintf(stderr, "cannot play %s\n", file.c_str());
        return 1;
    }
    QEventLoop loop;
    FG.OnGraphComplete = [&](TFilterGraph*, int, TMediaElement*) { loop.quit(); };
    QTimer::singleShot(seconds * 3000, &loop, &QEventLoop::quit);
    const double cpu = CpuSeconds(RUSAGE_SELF);
    QElapsedTimer wall;
    wall.start();
    FG.StartPlayback();
    PaintCount painted; // the view exists once the film plays
    QWidget* surface = pane ? &VW : VW.FullScreenView();
    if (surface) surface->installEventFilter(&painted);
    loop.exec();
    // With the painter, a frame is shown once the sink has taken it and the surface has
    // painted it; the display's own sink shows what it takes.
    const bool painter = !VW.testAttribute(Qt::WA_NativeWindow);
    const long rendered = SinkRendered(FG);
    const Use program{CpuSeconds(RUSAGE_SELF) - cpu, wall.nsecsElapsed() / 1e9,
                      painter ? std::min(painted.paints, rendered) : rendered};
    const QSize frame = VW.CurrentFrame().size();
    int64_t reached = 0;
    FG.QueryPositionMs(reached);
    FG.SetActive(false);
    const Use after = Anchor(file, log, pane);

    std::printf("1080p30 H.264, %d s, %s (Xvfb %s), %s\n", seconds,
                pane ? "pane 1920x1080" : "full screen 3840x2160",
                server.Display().toLatin1().constData(),
                painter ? "the painter" : "the display's sink");
    std::printf("program: %.2f s CPU in %.2f s, %.2f of a core, %ld frames shown, %.1f ms each; "
                "last frame %dx%d at %.1f s\n",
                program.cpu, program.wall, program.cpu / program.wall, program.frames,
                program.CpuPerFrameMs(), frame.width(), frame.height(), double(reached) / 1000);
    for (const Use& a : {before, after})
        std::printf(
            "anchor:  %.2f s CPU in %.2f s, %.2f of a core, %ld frames shown, %.1f ms each\n",
            a.cpu, a.wall, a.cpu / a.wall, a.frames, a.CpuPerFrameMs());
    const double anchor = (before.cpu + after.cpu) / 2;
    const double anchorPerFrame = (before.CpuPerFrameMs() + after.CpuPerFrameMs()) / 2;
    std::printf("program / anchor: CPU seconds %.2fx, CPU per frame shown %.2fx\n",
                program.cpu / anchor,
                anchorPerFrame > 0 ? program.CpuPerFrameMs() / anchorPerFrame : 0.0);
    return 0;
}
