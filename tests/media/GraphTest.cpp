// The graph component with its own filters on generated media.
#include "MediaFixtures.h"

#include "media/DSTrackBar.h"
#include "media/FilterGraph.h"
#include "media/FilterPropertyDialog.h"
#include "media/MpegAudioFrames.h"
#include "media/SampleGrabber.h"
#include "media/VideoWindow.h"
#include "platform/disks/DiskCalls.h"
#include "platform/text/GbText.h"
#include "platform/ui/Shell.h"
#include "support/SlowShare.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace {

// A graph wired as the window wires it, with the audio going to a capture sink.
struct Rig {
    TFilterGraph FG;
    TVideoWindow VW;
    TDSTrackBar PB;
    TSampleGrabber SampleGrabber;
    AudioCapture heard;

    Rig() {
        VW.resize(320, 240);
        VW.SetFilterGraph(&FG);
        PB.SetFilterGraph(&FG);
        SampleGrabber.SetFilterGraph(&FG);
        FG.SetAudioSinkFactory([this] { return heard.MakeSink(); });
        FG.SetActive(true);
    }
    ~Rig() { FG.SetActive(false); }
};

bool Near(double value, double expected, double tolerance) {
    return std::abs(value - expected) <= tolerance;
}

} // namespace

TEST(GraphBasics, WithoutGraphOnlyStoredValuesChange) {
    TFilterGraph FG;
    EXPECT_EQ(FG.OpenMediaFile(RealPath(Media().twoTracks)), kNoGraph);
    EXPECT_FALSE(FG.Active());
    EXPECT_EQ(FG.DurationMs(), 0);
    EXPECT_EQ(FG.PlaybackState(), TPlaybackState::Uninitialised);
    EXPECT_FALSE(FG.StartPlayback());
    FG.SetVolume(12000);
    EXPECT_EQ(FG.Volume(), 10000);
    FG.SetVolume(-5);
    EXPECT_EQ(FG.Volume(), 0);
    EXPECT_TRUE(FG.Elements().empty());
}

TEST(GraphBasics, VolumeMapping) {
    EXPECT_EQ(TFilterGraph::VolumeToHundredthsDb(10000), 0);
    EXPECT_EQ(TFilterGraph::VolumeToHundredthsDb(6000), -554);
    EXPECT_EQ(TFilterGraph::VolumeToHundredthsDb(1000), -2499);
    EXPECT_EQ(TFilterGraph::VolumeToHundredthsDb(100), -4989);
    EXPECT_EQ(TFilterGraph::VolumeToHundredthsDb(1), -9247);
    EXPECT_EQ(TFilterGraph::VolumeToHundredthsDb(0), -10000);
    EXPECT_EQ(TFilterGraph::HundredthsDbToLinear(-10000), 0.0);
    EXPECT_DOUBLE_EQ(TFilterGraph::HundredthsDbToLinear(0), 1.0);
    EXPECT_NEAR(TFilterGraph::HundredthsDbToLinear(-2000), 0.1, 1e-12);

    Rig rig;
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(Media().audioOnly)), kRenderOk);
    rig.FG.SetVolume(1000);
    double linear = -1;
    g_object_get(GstPipelineOf(rig.FG), "volume", &linear, nullptr);
    EXPECT_NEAR(linear, std::pow(10.0, -2499 / 2000.0), 1e-6);
    // A probe is silent from its first sample on.
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(Media().audioOnly), TRenderPurpose::Probe), kRenderOk);
    rig.FG.StartPlayback();
    ASSERT_TRUE(WaitUntil([&] { return rig.heard.Frames() > 4410; }, 10000));
    const std::vector<int16_t> s = rig.heard.Take();
    EXPECT_EQ(std::count(s.begin(), s.end(), int16_t(0)), std::ptrdiff_t(s.size()));
}

TEST(GraphRender, SizesAndDurationsOfGeneratedFiles) {
    struct Case {
        std::string path;
        int width, height, durationMs;
    };
    std::vector<Case> cases = {{Media().twoTracks, 320, 240, 3000},
                               {Media().avi, 176, 144, 2000},
                               {Media().mp4, 352, 288, 2000},
                               {Media().audioOnly, 0, 0, 2000},
                               {Media().oddName, 320, 240, 3000}};
    if (!Media().realMedia.empty()) cases.push_back({Media().realMedia, 176, 144, 2000});
    Rig rig;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(c.path)), kRenderOk);
        rig.FG.StartPlayback();
        rig.FG.PausePlayback();
        int w = -1, h = -1;
        EXPECT_EQ(rig.FG.VideoSize(w, h), c.width > 0);
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
        EXPECT_TRUE(Near(rig.FG.DurationMs(), c.durationMs, 100)) << rig.FG.DurationMs();
        rig.FG.StopPlayback();
        rig.FG.EmptyGraph();
        EXPECT_EQ(rig.FG.DurationMs(), 0);
    }
}

// A long MP3 without a header answers no duration query in the paused graph. Its duration
// still comes out right at a constant and at a variable bit rate (the file size at the bit
// rate of the first frames, the parser's own estimate, is 30% short for the variable one).
TEST(GraphRender, DurationOfLongMp3WithoutAHeader) {
    // At a variable bit rate any duration without a header is an estimate from the frames
    // parsed so far, and how many those are depends on the machine's speed (37-40 s seen).
    const std::pair<std::string, int> cases[] = {{Media().longCbrMp3, 800},
                                                 {Media().longVbrMp3, 8000}};
    Rig rig;
    for (const auto& [path, tolerance] : cases) {
        SCOPED_TRACE(path);
        ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(path)), kRenderOk);
        rig.FG.StartPlayback();
        rig.FG.PausePlayback();
        EXPECT_TRUE(Near(rig.FG.DurationMs(), 40000, tolerance)) << rig.FG.DurationMs();
        rig.FG.EmptyGraph();
    }
    // Its frames are counted in the file: tags around them are stepped over, and an MPEG-2
    // frame holds half the samples. A file that is not one run of frames is left to the
    // discoverer.
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(Media().taggedMp3), TRenderPurpose::Probe), kRenderOk);
    EXPECT_TRUE(Near(rig.FG.DurationMs(), 9288, 100)) << rig.FG.DurationMs();
    for (const std::string& other : {Media().avi, Media().truncated, Media().random})
        EXPECT_EQ(MpegAudioDurationMs(other), -1) << other;
}

// The frame count reads the file: on a share that stops answering after the preroll it ends
// at the disk deadline and leaves the graph behind, as a state change does.
TEST(GraphRender, DurationOnAShareThatStopsAfterThePreroll) {
    ASSERT_EQ(TSlowShare::Unavailable(), ""); // tools/deps installs FUSE; a missing share fails
    const std::string source = Media().dir + "/nas" + std::to_string(getpid());
    std::filesystem::create_directories(source);
    std::filesystem::copy(Media().longVbrMp3, source + "/long.mp3",
                          std::filesystem::copy_options::skip_existing);
    TSlowShare share(source, source + "-mnt", 0, 60); // file attributes kept for the query
    ASSERT_TRUE(share.Mounted());
    Rig rig;
    ASSERT_EQ(
        rig.FG.OpenMediaFile(RealPath(share.MountPoint() + "/long.mp3"), TRenderPurpose::Probe),
        kRenderOk);
    SetDiskDeadlineMs(300);
    share.Freeze();
    EXPECT_EQ(rig.FG.DurationMs(), 0);
    EXPECT_FALSE(rig.FG.Active());
    share.Thaw();
    SetDiskDeadlineMs(kDiskDeadlineMs);
}

// A damaged file may stall the graph without an error (this truncated file does so here);
// the bounded wait must end it every time, and the graph must take the next file normally.
TEST(GraphRender, BrokenFilesFailWithinTheBound) {
    Rig rig;
    QElapsedTimer timer;
    timer.start();
    EXPECT_NE(rig.FG.OpenMediaFile(RealPath(Media().truncated)), kRenderOk);
    EXPECT_LT(timer.elapsed(), 12000) << "the 10 s bound";
    rig.FG.SetRenderTimeoutMs(1000);
    for (int i = 0; i < 20; ++i) {
        timer.restart();
        EXPECT_NE(rig.FG.OpenMediaFile(RealPath(Media().truncated)), kRenderOk);
        EXPECT_LT(timer.elapsed(), 3000);
        EXPECT_EQ(rig.FG.DurationMs(), 0);
        EXPECT_NE(rig.FG.OpenMediaFile(RealPath(Media().random)), kRenderOk);
    }
    EXPECT_NE(rig.FG.OpenMediaFile(RealPath(Media().dir + "/no such file.mkv")), kRenderOk);
    // A break during the wait (or the change of state's, which leaves the graph) ends it, also
    // for a file failing in that change; a flag set earlier fails no file and stays set.
    rig.FG.OnDSEvent = [](TFilterGraph*, const TGraphEvent&) { BreakFlag = true; };
    for (const std::string& file : {Media().truncated, Media().dir + "/no such file.mkv"}) {
        rig.FG.SetActive(true);
        EXPECT_EQ(rig.FG.OpenMediaFile(RealPath(file)), kRenderAborted) << file;
    }
    rig.FG.OnDSEvent = nullptr;
    rig.FG.SetActive(true);
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(Media().avi)), kRenderOk);
    EXPECT_TRUE(BreakFlag);
    BreakFlag = false;
    EXPECT_EQ(rig.FG.DurationMs() / 100, 20);
}

TEST(GraphRender, ElementListAndLookup) {
    Rig rig;
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(Media().twoTracks)), kRenderOk);
    QStringList names;
    for (const TGraphElement& e : rig.FG.Elements())
        names << e.name;
    EXPECT_EQ(names.first(), QStringLiteral("two.mkv")) << names.join('|').toStdString();
    EXPECT_TRUE(names.contains("VW"));
    EXPECT_TRUE(names.contains("SampleGrabber"));
    EXPECT_TRUE(names.contains("libav H.264 / AVC / MPEG-4 AVC / MPEG-4 part 10 decoder"));
    EXPECT_TRUE(names.contains("Matroska demuxer"));
    EXPECT_FALSE(names.contains("Queue"));
    EXPECT_FALSE(names.contains("Multiqueue"));
    EXPECT_LT(names.indexOf("Matroska demuxer"), names.indexOf("VW"));
    for (const QString& n : names)
        EXPECT_NE(rig.FG.FindElementByName(n), nullptr) << n.toStdString();
    TMediaElement* decoder = nullptr;
    for (const TGraphElement& e : rig.FG.Elements()) {
        GstElementFactory* f = gst_element_get_factory(GstElementOf(e.element));
        if (f && std::strstr(gst_element_factory_get_metadata(f, GST_ELEMENT_METADATA_KLASS),
                             "Codec/Decoder/Audio"))
            decoder = e.element;
    }
    EXPECT_NE(decoder, nullptr);

    // The own filters stay across EmptyGraph and serve the next file.
    TMediaElement* vw = rig.FG.FindElementByName("VW");
    TMediaElement* grabber = rig.FG.FindElementByName("SampleGrabber");
    rig.FG.EmptyGraph();
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(Media().mp4)), kRenderOk);
    EXPECT_EQ(rig.FG.FindElementByName("VW"), vw);
    EXPECT_EQ(rig.FG.FindElementByName("SampleGrabber"), grabber);
    EXPECT_NE(rig.FG.FindElementByName("clip.mp4"), nullptr);
    // A sound file leaves the pane unconnected, yet listed; a GB18030 name on disk reads right.
    const std::string gbName = Media().dir + "/" + Utf8ToGb("电影") + ".mp3";
    std::filesystem::copy(Media().audioOnly, gbName, std::filesystem::copy_options::skip_existing);
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(gbName)), kRenderOk);
    const std::vector<TGraphElement> sound = rig.FG.Elements();
    EXPECT_EQ(sound.front().name, QStringLiteral("电影.mp3"));
    EXPECT_EQ(sound.back().name, QStringLiteral("VW"));
}

TEST(GraphRender, PropertyDialogEditsBasicTypes) {
    Rig rig;
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(Media().twoTracks)), kRenderOk);
    TMediaElement* vw = rig.FG.FindElementByName("VW");
    ASSERT_NE(vw, nullptr);
    TFilterPropertyDialog dialog(nullptr, vw, "VW");
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("VW"));
    auto* maxBuffers = qobject_cast<QLineEdit*>(dialog.Editor("max-buffers"));
    auto* drop = qobject_cast<QCheckBox*>(dialog.Editor("drop"));
    ASSERT_TRUE(maxBuffers && drop);
    EXPECT_EQ(maxBuffers->text(), QStringLiteral("2"));
    EXPECT_EQ(dialog.Editor("caps"), nullptr) << "values of other types are shown only";
    maxBuffers->setText("5");
    drop->setChecked(false);
    dialog.ApplyChanges();
    guint max = 0;
    gboolean dropping = TRUE;
    g_object_get(GstElementOf(vw), "max-buffers", &max, "drop", &dropping, nullptr);
    EXPECT_EQ(max, 5u);
    EXPECT_FALSE(dropping);
}

TEST(GraphPlayback, EndOfStreamArrivesOnTheUiThread) {
    Rig rig;
    std::atomic<int> completions = 0;
    QThread* thread = nullptr;
    rig.FG.OnGraphComplete = [&](TFilterGraph* sender, int, TMediaElement*) {
        EXPECT_EQ(sender, &rig.FG);
        thread = QThread::currentThread();
        ++completions;
    };
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(Media().avi)), kRenderOk);
    EXPECT_EQ(rig.FG.PlaybackState(), TPlaybackState::Paused);
    rig.FG.StartPlayback();
    EXPECT_EQ(rig.FG.PlaybackState(), TPlaybackState::Playing);
    ASSERT_TRUE(WaitUntil([&] { return completions > 0; }, 30000));
    EXPECT_EQ(thread, QCoreApplication::instance()->thread());
    // Back to the start and again to the end, as the player loops.
    ASSERT_TRUE(rig.FG.SeekMs(0));
    rig.FG.StartPlayback();
    ASSERT_TRUE(WaitUntil([&] { return completions > 1; }, 30000));
    rig.FG.StopPlayback();
    EXPECT_EQ(rig.FG.PlaybackState(), TPlaybackState::Stopped);
}

TEST(GraphPlayback, GrabberSeesEveryBufferAndItsChangeIsHeard) {
    Rig rig;
    std::atomic<int64_t> grabbedFrames = 0;
    std::atomic<int> bits = 0;
    rig.SampleGrabber.OnBuffer = [&](TSampleGrabber* g, double, uint8_t* p, int n) {
        const int s = g->ConnectedBitsPerSample() / 8;
        bits = s * 8;
        for (int k = 0; k + 2 * s <= n; k += 2 * s)
            std::memcpy(p + k + s, p + k, size_t(s));
        grabbedFrames += n / (2 * s);
    };
    std::atomic<bool> done = false;
    rig.FG.OnGraphComplete = [&](TFilterGraph*, int, TMediaElement*) { done = true; };
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(Media().twoTracks)), kRenderOk);
    rig.FG.StartPlayback();
    ASSERT_TRUE(WaitUntil([&] { return done.load(); }, 30000));
    EXPECT_TRUE(bits == 8 || bits == 16 || bits == 24 || bits == 32);
    std::vector<int16_t> heard = rig.heard.Take();
    EXPECT_EQ(int64_t(heard.size() / 2), grabbedFrames.load());
    EXPECT_NEAR(double(heard.size() / 2), 3 * 44100.0, 44100 * 0.1);
    ToneEstimate t = EstimateTones(heard, 44100);
    EXPECT_NEAR(t.left, 300, 30);
    EXPECT_NEAR(t.right, 300, 30) << "the left channel copied over the right is heard";
}

TEST(GraphPlayback, AudioStreamSwitchIsHeardAtOnce) {
    Rig rig;
    rig.heard.realTime = true;
    rig.FG.SetActive(false); // take the real-time capture sink
    rig.FG.SetActive(true);
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(Media().twoTracks)), kRenderOk);
    ASSERT_EQ(rig.FG.StreamCount(), 3);
    EXPECT_EQ(rig.FG.StreamName(0), QStringLiteral("Video 1"));
    EXPECT_EQ(rig.FG.StreamName(1), QStringLiteral("Audio 1"));
    EXPECT_EQ(rig.FG.StreamName(2), QStringLiteral("Audio 2"));
    EXPECT_FALSE(rig.FG.EnableStream(0, kStreamEnable)) << "only audio streams switch";
    EXPECT_FALSE(rig.FG.EnableStream(1, kStreamEnableAll)) << "the graph cannot mix tracks";
    rig.FG.StartPlayback();
    ASSERT_TRUE(WaitUntil([&] { return rig.heard.Frames() > 22050; }, 20000));
    ToneEstimate before = EstimateTones(rig.heard.Take(), 44100);
    EXPECT_NEAR(before.left, 300, 30);
    EXPECT_NEAR(before.right, 1200, 60);
    ASSERT_TRUE(rig.FG.EnableStream(2, kStreamEnable));
    ASSERT_TRUE(WaitUntil([&] { return rig.heard.Frames() > 22050; }, 20000));
    std::vector<int16_t> after = rig.heard.Take();
    // A tenth of a second for the switch; from then on only the second track.
    std::vector<int16_t> settled(after.begin() + 2 * 4410, after.begin() + 2 * 22050);
    ToneEstimate t = EstimateTones(settled, 44100);
    EXPECT_NEAR(t.left, 2400, 100);
    EXPECT_NEAR(t.right, 600, 40);
}

TEST(GraphPane, ShowsFramesAndGoesFullScreen) {
    Rig rig;
    rig.VW.show();
    int doubleClicks = 0;
    rig.VW.OnDblClick = [&](TVideoWindow* vw) {
        ++doubleClicks;
        vw->SetFullScreen(!vw->FullScreen());
    };
    rig.VW.SetFullScreen(true); // nothing plays: only stored
    EXPECT_EQ(rig.VW.FullScreenView(), nullptr);
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(Media().twoTracks)), kRenderOk);
    rig.FG.StartPlayback();
    ASSERT_NE(rig.VW.FullScreenView(), nullptr) << "applied at play";
    EXPECT_EQ(rig.VW.FullScreenView()->geometry(), rig.VW.screen()->geometry());
    QTest::mouseDClick(rig.VW.FullScreenView(), Qt::LeftButton);
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_FALSE(rig.VW.FullScreen());
    EXPECT_EQ(rig.VW.FullScreenView(), nullptr);

    ASSERT_TRUE(WaitUntil([&] { return !rig.VW.CurrentFrame().isNull(); }, 10000));
    QCoreApplication::processEvents();
    QImage shot = rig.VW.grab().toImage();
    int coloured = 0;
    for (int y = 0; y < shot.height(); y += 8)
        for (int x = 0; x < shot.width(); x += 8)
            coloured += qGray(shot.pixel(x, y)) > 40;
    EXPECT_GT(coloured, 100) << "the test pattern is painted";
    // Frames come at the size the pane shows them, also after a resize.
    rig.VW.resize(400, 300);
    EXPECT_TRUE(WaitUntil(
        [&] {
            return rig.VW.CurrentFrame().size() == QSize(400, 300) * rig.VW.devicePixelRatioF();
        },
        5000));
    // A 16:9 DVD picture (720x576, pixels 64:45) is 360 high in a 640x480 pane.
    rig.VW.resize(640, 480);
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(Media().wideDvd)), kRenderOk);
    ASSERT_TRUE(WaitUntil([&] { return !rig.VW.CurrentFrame().isNull(); }, 10000));
    shot = rig.VW.grab().toImage();
    int lit = 0;
    for (int y = 0; y < 480; ++y)
        lit += qGray(shot.pixel(320, y)) > 128;
    EXPECT_NEAR(lit, 360, 2);
    rig.FG.SetActive(false);
    shot = rig.VW.grab().toImage();
    EXPECT_EQ(qGray(shot.pixel(shot.width() / 2, shot.height() / 2)), 0) << "black without graph";
}

TEST(GraphPane, SeekBarFollowsAndSeeksOnRelease) {
    Rig rig;
    rig.PB.resize(300, 20);
    rig.PB.show();
    std::vector<unsigned> ticks;
    rig.PB.OnTimer = [&](TDSTrackBar*, unsigned current, unsigned stop) {
        ticks.push_back(current);
        EXPECT_EQ(stop / 100, 30u);
    };
    ASSERT_EQ(rig.FG.OpenMediaFile(RealPath(Media().twoTracks)), kRenderOk);
    EXPECT_FALSE(rig.PB.TimerRunning());
    rig.FG.StartPlayback();
    EXPECT_TRUE(rig.PB.TimerRunning());
    ASSERT_TRUE(WaitUntil([&] { return !ticks.empty(); }, 10000));
    rig.FG.PausePlayback();
    EXPECT_FALSE(rig.PB.TimerRunning());
    EXPECT_EQ(rig.PB.maximum(), 3);

    // Drag the thumb to step 2 of 3 and let go: 2/3 of the stop position.
    QTest::mousePress(&rig.PB, Qt::LeftButton, {}, QPoint(2, 10));
    rig.PB.setValue(2);
    rig.PB.Tick();
    EXPECT_EQ(rig.PB.value(), 2) << "no following while the button is down";
    QTest::mouseRelease(&rig.PB, Qt::LeftButton, {}, QPoint(2, 10));
    ASSERT_TRUE(WaitUntil(
        [&] {
            int64_t pos = 0;
            return rig.FG.QueryPositionMs(pos) && Near(double(pos), 2000, 150);
        },
        10000));
}
