// The display's own sink on a real X server (Xvfb has no XVideo adaptor: ximagesink): a film
// paused in the pane, over the whole screen and back, read back from the server's image.
#include "ScreenChecks.h"
#include "TestVideos.h"

#include "media/FilterGraph.h"
#include "media/VideoWindow.h"

#include <QDir>
#include <QPushButton>

namespace {
// A 4:3 picture in a 16:9 pane: 60 px black bars left and right.
constexpr int kPaneWidth = 480, kPaneHeight = 270, kBar = 60;

QImage Shot(QWidget& window, const QRect& area) {
    return ScreenOf(window).copy(area);
}
} // namespace

TEST(VideoOverlay, PanePausedFullScreenAndBackShowsThePictureWithBlackBars) {
    if (!InsideXvfb()) return RunCurrentTestUnderXvfb(QStringLiteral("1280x1024x24"));
    QDir().mkpath(QStringLiteral(TAVLORA_TEST_DIR));
    const QString film = QStringLiteral(TAVLORA_TEST_DIR "/overlay.avi");
    ASSERT_TRUE(MakeTestVideo(film, 320, 240, 4));
    QWidget window;
    window.resize(kPaneWidth + 120, kPaneHeight);
    auto* VW = new TVideoWindow(&window);
    VW->setGeometry(0, 0, kPaneWidth, kPaneHeight);
    auto* button = new QPushButton(QStringLiteral("按钮"), &window);
    button->setGeometry(kPaneWidth + 10, 10, 100, 30);
    TFilterGraph FG;
    VW->SetFilterGraph(&FG);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(VW->testAttribute(Qt::WA_NativeWindow)) << "the painter was chosen";
    const QRect buttonArea(button->geometry());
    const QImage buttonBefore = Shot(window, buttonArea);

    FG.SetActive(true);
    ASSERT_EQ(FG.OpenMediaFile(RealPath(film.toStdString())), kRenderOk);
    const QRect picture(kBar, 0, kPaneWidth - 2 * kBar, kPaneHeight);
    const QRect leftBar(0, 0, kBar - 4, kPaneHeight),
        rightBar(kPaneWidth - kBar + 4, 0, kBar - 4, kPaneHeight);
    ASSERT_TRUE(WaitFor([&] { return LitShare(Shot(window, picture)) > 0.9; }))
        << "the paused film's first picture is not in the pane";
    EXPECT_LT(LitShare(Shot(window, leftBar)), 0.01);
    EXPECT_LT(LitShare(Shot(window, rightBar)), 0.01);
    VW->repaint(); // a paint while paused draws the still picture again
    const QImage paneStill = Shot(window, picture);
    EXPECT_GT(LitShare(paneStill), 0.9);
    EXPECT_EQ(Shot(window, buttonArea), buttonBefore) << "no video over the controls";

    // Over the whole screen: 1280x960 with bars of 32 px above and below.
    VW->SetFullScreen(true);
    QWidget* view = VW->FullScreenView();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    ASSERT_TRUE(WaitFor([&] { return LitShare(Shot(*view, QRect(0, 32, 1280, 960))) > 0.9; }))
        << "the sink was not bound to the full-screen view";
    EXPECT_LT(LitShare(Shot(*view, QRect(0, 0, 1280, 28))), 0.01);
    EXPECT_LT(LitShare(Shot(*view, QRect(0, 996, 1280, 28))), 0.01);

    // Back in the pane: the sink draws there again, the still picture made at the pane's size.
    VW->SetFullScreen(false);
    ASSERT_TRUE(WaitFor([&] { return Shot(window, picture) == paneStill; }))
        << "the pane does not show its still picture again after full screen";
    EXPECT_LT(LitShare(Shot(window, leftBar)), 0.01);

    // Playing, the picture moves in the pane; stopped, the pane is black.
    ASSERT_TRUE(FG.StartPlayback());
    EXPECT_TRUE(WaitFor([&] { return Shot(window, picture) != paneStill; }));
    FG.StopPlayback();
    EXPECT_TRUE(WaitFor([&] {
        return LitShare(Shot(window, QRect(0, 0, kPaneWidth, kPaneHeight))) < 0.01;
    })) << "the stopped pane is not black";
}
