// The window at 1x and 2x scale and maximised on a 1920x1080 screen: every caption fits its
// control and is drawn with real glyphs, and no control falls outside the window.
#include "RealWindow.h"
#include "app/RegisterGrid.h"
#include "app/uFrmMain.h"
#include "platform/text/GbText.h"
#include "support/FakeDialogs.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QTabWidget>
#include <QTableView>
#include <memory>

namespace {

// Opens the window over a fresh program folder, shows it (maximised when asked) and checks
// what the screen shows. The screenshot goes to shots/<name>.png.
void CheckLayout(const char* name, bool maximised) {
    const QString dir = QStringLiteral(TAVLORA_TEST_DIR "/highdpi-%1/").arg(QLatin1String(name));
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    QDir().mkpath(QStringLiteral(TAVLORA_TEST_DIR "/shots"));
    FakeDialogs dialogs;
    TFrmMain w(QStringToGb(dir), &dialogs);
    if (maximised) {
        w.showMaximized();
        // The test's X server runs no window manager, which is what sizes a maximised
        // window: give it the screen's area as one would.
        w.setGeometry(w.screen()->availableGeometry());
    } else {
        w.show();
    }
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w, 30000));
    if (maximised) {
        QSize screen = w.screen()->availableGeometry().size();
        ASSERT_TRUE(WaitFor([&] { return w.frameGeometry().size() == screen; }, 20000))
            << w.frameGeometry().width() << "x" << w.frameGeometry().height();
    }
    QImage shot = ScreenOf(w);
    const QString file =
        QStringLiteral(TAVLORA_TEST_DIR "/shots/window-%1.png").arg(QLatin1String(name));
    EXPECT_TRUE(shot.save(file));
    std::cout << "screenshot: " << file.toStdString() << std::endl;
    const qreal dpr = w.devicePixelRatioF();
    EXPECT_EQ(shot.size(), w.size() * dpr);

    // A missing CJK font draws every character as the same box.
    QImage a(QSize(32, 32) * dpr, QImage::Format_RGB32), b = a;
    for (auto [img, ch] :
         {std::pair{&a, QStringLiteral("视")}, std::pair{&b, QStringLiteral("区")}}) {
        img->setDevicePixelRatio(dpr);
        img->fill(Qt::white);
        QPainter p(img);
        p.setFont(w.font());
        p.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, ch);
    }
    EXPECT_NE(a, b) << "Chinese characters render as boxes";

    // Every caption fits its control and shows on the screen; every control lies inside the
    // window.
    const QRect inside = w.rect();
    for (QWidget* c : w.findChildren<QWidget*>()) {
        if (!c->isVisibleTo(&w) || c->objectName().isEmpty()) continue;
        QRect r(c->mapTo(&w, QPoint(0, 0)), c->size());
        if (c->parentWidget() && !qobject_cast<QTabWidget*>(c->parentWidget()->parentWidget())) {
            EXPECT_TRUE(inside.contains(r))
                << c->objectName().toStdString() << " leaves the window";
        }
        QString caption;
        int room = 0;
        if (auto* button = qobject_cast<QAbstractButton*>(c)) {
            caption = button->text();
            room = button->width() - 4;
        } else if (auto* label = qobject_cast<QLabel*>(c); label && !label->wordWrap()) {
            caption = label->text();
            room = label->contentsRect().width();
        } else if (auto* group = qobject_cast<QGroupBox*>(c)) {
            caption = group->title();
            room = group->width() - 8;
        }
        caption.remove(QLatin1Char('&'));
        if (caption.trimmed().isEmpty()) continue;
        EXPECT_LE(c->fontMetrics().horizontalAdvance(caption), room)
            << c->objectName().toStdString() << " clips \"" << caption.toStdString() << "\"";
        EXPECT_GE(c->height(), c->fontMetrics().height()) << c->objectName().toStdString();
        if (qobject_cast<QAbstractButton*>(c) && c->isVisible()) {
            EXPECT_GT(CountPixels(PartOf(shot, w, *c), IsDark), 10)
                << c->objectName().toStdString() << " shows no caption";
        }
    }
    if (maximised) {
        EXPECT_GT(w.sg->width(), 1500) << "the grid takes the room";
        EXPECT_GT(w.sg->columnWidth(1), 145) << "the path column grows with the window";
    }
}

} // namespace

TEST(HighDpi, DesignSizeAtScale1) {
    if (!InsideXvfb())
        return RunCurrentTestUnderXvfb(QStringLiteral("1280x1024x24"),
                                       {{QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("1")}});
    CheckLayout("scale1", false);
}

TEST(HighDpi, DesignSizeAtScale2) {
    if (!InsideXvfb())
        return RunCurrentTestUnderXvfb(QStringLiteral("2560x2048x24"),
                                       {{QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("2")}});
    EXPECT_EQ(qApp->devicePixelRatio(), 2.0);
    CheckLayout("scale2", false);
}

TEST(HighDpi, MaximisedOnFullHdScreen) {
    if (!InsideXvfb())
        return RunCurrentTestUnderXvfb(QStringLiteral("1920x1080x24"),
                                       {{QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("1")}});
    CheckLayout("maximised", true);
}
