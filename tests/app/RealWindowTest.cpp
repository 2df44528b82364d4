// The window on a real X server (Xvfb): it opens at its design size, every caption renders
// with real glyphs (not the empty boxes of a missing CJK font) and fits its control.
#include "WindowFixture.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

namespace {
bool InsideXvfb() {
    return qEnvironmentVariableIsSet("TAVLORA_REAL_WINDOW");
}

// The glyph of a character in the font, as pixels.
QImage Glyph(const QFont& font, QChar c) {
    QImage img(24, 24, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(img.rect(), Qt::AlignCenter, QString(c));
    return img;
}

int DarkPixels(const QImage& img) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qGray(img.pixel(x, y)) < 128;
    return n;
}
} // namespace

// Runs the test below in a child process on a fresh Xvfb.
TEST(RealWindow, OpensAndRendersEveryCaptionUnderXvfb) {
    if (InsideXvfb()) GTEST_SKIP() << "the outer half of the test";
    QString xvfb = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    ASSERT_FALSE(xvfb.isEmpty()) << "xvfb-run is needed (tools/deps installs it)";
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAVLORA_REAL_WINDOW"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(xvfb,
                {QStringLiteral("-a"), QStringLiteral("-s"),
                 QStringLiteral("-screen 0 1280x1024x24"), QCoreApplication::applicationFilePath(),
                 QStringLiteral("--gtest_filter=RealWindowInside.*")});
    ASSERT_TRUE(child.waitForFinished(120000));
    QString out = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("[  PASSED  ] 1 test"))) << out.toStdString();
}

using RealWindowInside = WindowTest;

TEST_F(RealWindowInside, Screenshot) {
    if (!InsideXvfb()) GTEST_SKIP() << "runs only inside Xvfb";
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    TFrmMain& w = Open();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(300);
    QImage shot = w.screen()->grabWindow(w.winId()).toImage();
    shot.save(dir_ + QStringLiteral("window.png"));
    EXPECT_EQ(shot.size(), QSize(844, 439));

    // A missing font shows every character as the same box: distinct characters must give
    // distinct glyphs, and the captions of two buttons distinct pixels on the screen.
    const QString chars = QStringLiteral("视频区搜索类型影库通");
    for (int i = 1; i < chars.size(); ++i)
        EXPECT_NE(Glyph(w.font(), chars[0]), Glyph(w.font(), chars[i])) << i;
    QImage add = shot.copy(QRect(w.btnAddDir->mapTo(&w, QPoint(0, 0)), w.btnAddDir->size()));
    QImage del = shot.copy(QRect(w.btnDelDir->mapTo(&w, QPoint(0, 0)), w.btnDelDir->size()));
    EXPECT_GT(DarkPixels(add), 20);
    EXPECT_NE(add, del);

    // Nothing clipped: every caption fits its control.
    for (QAbstractButton* b : w.findChildren<QAbstractButton*>()) {
        if (b->text().isEmpty() || !b->isVisible()) continue;
        EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()) + 6, b->width())
            << b->objectName().toStdString();
    }
    for (QLabel* l : w.findChildren<QLabel*>()) {
        if (!l->isVisible() || l->text().isEmpty()) continue;
        EXPECT_LE(l->sizeHint().height(), l->height() + 1) << l->objectName().toStdString();
        if (!l->wordWrap()) {
            EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width())
                << l->objectName().toStdString();
        }
    }
    for (QGroupBox* g : w.findChildren<QGroupBox*>())
        EXPECT_LE(g->fontMetrics().horizontalAdvance(g->title()) + 10, g->width());
}
