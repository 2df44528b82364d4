// The player over a real graph, with the controls recorded by a fake view.
#include "MediaFakes.h"
#include "MediaFixtures.h"
#include "support/FakeShell.h"

#include "media/FilterPropertyDialog.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

namespace {

std::vector<uint8_t> Apply(std::vector<uint8_t> bytes, int bits, uint8_t mode, int length = -1) {
    ApplyChannelToBuffer(bytes.data(), length < 0 ? int(bytes.size()) : length, bits, mode);
    return bytes;
}

// The window's player parts, wired as the window wires them.
struct PlayerRig {
    AudioCapture heard;
    TFilterGraph FG;
    TVideoWindow VW;
    TDSTrackBar PB;
    TSampleGrabber SampleGrabber;
    FakeShell shell;
    FakePlayerView view;
    TPlayer player{FG, VW, shell, view};
    VideoRegister reg;
    int completions = 0;

    PlayerRig() {
        heard.realTime = true;
        VW.SetFilterGraph(&FG);
        PB.SetFilterGraph(&FG);
        SampleGrabber.SetFilterGraph(&FG);
        FG.SetAudioSinkFactory([this] { return heard.MakeSink(); });
        FG.OnGraphComplete = [this](TFilterGraph*, int, TMediaElement*) {
            ++completions;
            player.GraphComplete();
        };
        PB.OnTimer = [this](TDSTrackBar*, unsigned current, unsigned) {
            player.ShowPosition(current);
        };
        VW.OnDblClick = [this](TVideoWindow*) { player.ToggleFullScreen(); };
        SampleGrabber.OnBuffer = [this](TSampleGrabber* g, double t, uint8_t* p, int n) {
            player.SampleGrabberBuffer(g, t, p, n);
        };
        reg.SetRowCount(2);
    }
    void PutRow(const std::string& utf8Path, const char* channel, const char* track) {
        const std::filesystem::path p(utf8Path);
        reg.SetCell(colPath, 1, UpperCase(Utf8ToGb(p.parent_path().string() + "/")));
        reg.SetCell(colName, 1, UpperCase(Utf8ToGb(p.stem().string())));
        reg.SetCell(colType, 1, UpperCase(Utf8ToGb(p.extension().string())));
        reg.SetCell(colChannel, 1, Utf8ToGb(channel));
        reg.SetCell(colTrack, 1, Utf8ToGb(track));
        reg.Cursor().SetCurrent(1, 1);
    }
    // The sound heard from 1.5 s to 2 s from now: the grabber works about a second ahead of
    // what is heard (the output's queue), so a channel change is heard that much later.
    ToneEstimate HeardTones() {
        heard.Take();
        EXPECT_TRUE(WaitUntil([&] { return heard.Frames() > 2 * 44100; }, 20000));
        std::vector<int16_t> s = heard.Take();
        s.erase(s.begin(), s.begin() + std::min<size_t>(s.size(), 2 * 66150));
        return EstimateTones(s, 44100);
    }
};

} // namespace

TEST(PlayerChannel, ApplyChannelToBufferByteRules) {
    EXPECT_EQ(Apply({1, 2, 3, 4}, 16, kChannelLeft), (std::vector<uint8_t>{1, 2, 1, 2}));
    EXPECT_EQ(Apply({1, 2, 3, 4}, 16, kChannelRight), (std::vector<uint8_t>{3, 4, 3, 4}));
    EXPECT_EQ(Apply({1, 2, 3, 4}, 16, kChannelStereo), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(Apply({0, 1, 2, 3, 4, 5, 6, 7}, 32, kChannelLeft),
              (std::vector<uint8_t>{0, 1, 2, 3, 0, 1, 2, 3}));
    EXPECT_EQ(Apply({0, 1, 2, 3, 4, 5, 6, 7}, 32, kChannelRight),
              (std::vector<uint8_t>{4, 5, 6, 7, 4, 5, 6, 7}));
    EXPECT_EQ(Apply({0x10, 0x20, 0x30, 0x40}, 8, kChannelRight),
              (std::vector<uint8_t>{0x20, 0x20, 0x40, 0x40}));
    EXPECT_EQ(Apply({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, 24, kChannelLeft),
              (std::vector<uint8_t>{1, 2, 3, 1, 2, 3, 7, 8, 9, 7, 8, 9}));
    EXPECT_EQ(Apply({1, 2, 3, 4}, 12, kChannelLeft), (std::vector<uint8_t>{1, 2, 3, 4}));
    // A partial frame at the end is left alone; nothing past the length is touched.
    EXPECT_EQ(Apply({1, 2, 3, 4, 5, 6, 0xEE, 0xEE}, 16, kChannelRight, 6),
              (std::vector<uint8_t>{3, 4, 3, 4, 5, 6, 0xEE, 0xEE}));
    EXPECT_EQ(Apply({1, 2, 3, 0xEE}, 8, kChannelLeft, 3), (std::vector<uint8_t>{1, 1, 3, 0xEE}));
}

TEST(PlayerChannel, ButtonsWithoutGraphOnlySetTheMode) {
    PlayerRig rig;
    rig.player.ChannelClick(kChannelLeft);
    EXPECT_EQ(rig.player.ChannelMode.load(), kChannelLeft);
    rig.player.ChannelClick(kChannelRight);
    EXPECT_EQ(rig.player.ChannelMode.load(), kChannelRight);
    EXPECT_TRUE(rig.shell.status.empty());
    rig.player.RefreshStreams();
    EXPECT_TRUE(rig.view.filters.isEmpty());
    EXPECT_TRUE(rig.view.tracks.isEmpty());
    rig.player.SelectAudioTrack(); // nothing selected: nothing
    rig.player.PauseResume();
    EXPECT_FALSE(rig.FG.Active());
    rig.player.ShowFilterPages();
}

TEST(PlayerPlay, NewRowPlaysTheRightChannelOnBothSides) {
    PlayerRig rig;
    rig.PutRow(Media().twoTracks, "右声道", "1");
    rig.player.Play(rig.reg);
    EXPECT_EQ(rig.view.checked, kChannelRight);
    EXPECT_EQ(rig.player.ChannelMode.load(), kChannelRight);
    EXPECT_EQ(rig.view.length, QStringLiteral("00:00:03"));
    EXPECT_EQ(rig.shell.status[1], QStringLiteral("使用音轨:1"));
    EXPECT_EQ(rig.view.tracks, (QStringList{"1", "2"}));
    EXPECT_EQ(rig.view.selectedTrack, 0);
    EXPECT_TRUE(rig.view.filters.contains("VW"));
    EXPECT_TRUE(rig.view.filters.contains("SampleGrabber"));
    EXPECT_EQ(rig.shell.delays, (std::vector<int>{50, 50, 50}));
    ToneEstimate t = rig.HeardTones();
    EXPECT_NEAR(t.left, 1200, 60);
    EXPECT_NEAR(t.right, 1200, 60);
    // Each entry opens its own element, also where names repeat; the file source none.
    auto opened = [&](int entry) { // the element's name in the dialog, "" without one
        QString name;
        QTimer::singleShot(0, [&] {
            if (auto* d = qobject_cast<TFilterPropertyDialog*>(QApplication::activeModalWidget()))
                name = d->Editor("name")->property("text").toString(), d->reject();
        });
        rig.view.selectedFilter = entry;
        rig.player.ShowFilterPages();
        return name;
    };
    const int first = rig.view.filters.indexOf("Vorbis audio decoder");
    EXPECT_NE(opened(first), opened(rig.view.filters.indexOf("Vorbis audio decoder", first + 1)));
    EXPECT_EQ(opened(0), QString()) << rig.view.filters[0].toStdString();
}

TEST(PlayerPlay, TrackColumnChoosesTheStream) {
    PlayerRig rig;
    rig.PutRow(Media().twoTracks, "立体声", "2");
    rig.player.Play(rig.reg);
    EXPECT_EQ(rig.view.checked, kChannelStereo);
    EXPECT_EQ(rig.shell.status[1], QStringLiteral("使用音轨:2"));
    EXPECT_EQ(rig.view.tracks, (QStringList{"1", "2"}));
    EXPECT_EQ(rig.view.selectedTrack, 1);
    ToneEstimate t = rig.HeardTones();
    EXPECT_NEAR(t.left, 2400, 100);
    EXPECT_NEAR(t.right, 600, 40);

    // The track button takes the list's choice.
    rig.view.selectedTrack = 0;
    rig.player.SelectAudioTrack();
    EXPECT_EQ(rig.player.ChosenTrack, 1);
    EXPECT_EQ(rig.shell.status[1], QStringLiteral("使用音轨:1"));
    t = rig.HeardTones();
    EXPECT_NEAR(t.left, 300, 30);

    // Text that is not a number plays track 1; 0 asks for all tracks, which this graph
    // cannot mix: no message.
    rig.PutRow(Media().twoTracks, "左声道", " x1 ");
    rig.shell.status.clear();
    rig.player.Play(rig.reg);
    EXPECT_EQ(rig.player.ChosenTrack, 1);
    EXPECT_EQ(rig.view.checked, kChannelLeft);
    EXPECT_EQ(rig.shell.status[1], QStringLiteral("使用音轨:1"));
    rig.PutRow(Media().twoTracks, "", "0");
    rig.shell.status.clear();
    rig.player.Play(rig.reg);
    EXPECT_EQ(rig.player.ChosenTrack, 0);
    EXPECT_EQ(rig.view.selectedTrack, -1);
    EXPECT_EQ(rig.view.checked, kChannelStereo);
    EXPECT_FALSE(rig.shell.status.count(1));
}

TEST(PlayerPlay, PauseStopLoopAndMissingFile) {
    PlayerRig rig;
    rig.PB.SetTimerInterval(250);
    rig.PutRow(Media().avi, "立体声", "1");
    rig.player.Play(rig.reg);
    EXPECT_EQ(rig.FG.PlaybackState(), TPlaybackState::Playing);
    rig.player.PauseResume();
    EXPECT_EQ(rig.FG.PlaybackState(), TPlaybackState::Paused);
    rig.player.PauseResume();
    EXPECT_EQ(rig.FG.PlaybackState(), TPlaybackState::Playing);

    // At the end the file starts again from 0, and the position label counts from there.
    ASSERT_TRUE(WaitUntil([&] { return rig.completions >= 1; }, 20000));
    const int shown = int(rig.view.positions.size());
    ASSERT_TRUE(rig.view.positions.contains("00:00:01"));
    ASSERT_TRUE(WaitUntil([&] { return int(rig.view.positions.size()) > shown; }, 20000));
    EXPECT_EQ(rig.view.positions[shown], QStringLiteral("00:00:00"));
    ASSERT_TRUE(WaitUntil([&] { return rig.completions >= 2; }, 20000));

    const QStringList lists = rig.view.filters;
    const QString position = rig.view.positions.last();
    rig.player.Stop();
    EXPECT_FALSE(rig.FG.Active());
    EXPECT_EQ(rig.view.length, QStringLiteral("00:00:02"));
    EXPECT_EQ(rig.view.positions.last(), position);
    EXPECT_EQ(rig.view.filters, lists);
    rig.player.PauseResume();
    EXPECT_EQ(rig.FG.PlaybackState(), TPlaybackState::Uninitialised);

    rig.PutRow(Media().dir + "/gone.avi", "立体声", "1");
    rig.player.Play(rig.reg);
    EXPECT_FALSE(rig.FG.Active()) << "a missing file: nothing happens";
}

TEST(PlayerPlay, VolumeSettingAndFullScreenByDoubleClick) {
    PlayerRig rig;
    rig.player.SoundLevelChange(7000);
    EXPECT_EQ(rig.FG.Volume(), 7000);

    rig.VW.show();
    rig.PutRow(Media().twoTracks, "立体声", "1");
    rig.view.soundLevel = 6000;
    rig.player.Play(rig.reg);
    EXPECT_EQ(rig.FG.Volume(), 6000);
    QTest::mouseDClick(&rig.VW, Qt::LeftButton);
    EXPECT_TRUE(rig.VW.FullScreen());
    ASSERT_NE(rig.VW.FullScreenView(), nullptr);
    QTest::mouseDClick(rig.VW.FullScreenView(), Qt::LeftButton);
    EXPECT_FALSE(rig.VW.FullScreen());
    EXPECT_EQ(rig.VW.FullScreenView(), nullptr);
    rig.player.Close();
    EXPECT_FALSE(rig.FG.Active());
    EXPECT_FALSE(rig.FG.HasFile());
}
