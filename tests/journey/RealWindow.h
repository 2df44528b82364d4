// Tests in a real window: the test runs again in a child process on a private Xvfb (the
// test programs start on the offscreen platform), and looks at what is on the screen.
#pragma once

#include "support/Xvfb.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

// True in the child that runs on the X server.
inline bool InsideXvfb() {
    return qEnvironmentVariableIsSet("TAVLORA_XVFB_CHILD");
}

// Runs the current test in a child process on a fresh X server with the given screen and
// extra environment; the child's failures become this test's.
inline void RunCurrentTestUnderXvfb(const QString& screen, const QMap<QString, QString>& extra = {},
                                    int timeoutMs = 280000) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    Xvfb x(screen);
    ASSERT_FALSE(x.Display().isEmpty()) << "Xvfb did not start";
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TAVLORA_XVFB_CHILD"), QStringLiteral("1"));
    env.insert(QStringLiteral("DISPLAY"), x.Display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    for (auto it = extra.begin(); it != extra.end(); ++it)
        env.insert(it.key(), it.value());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2")
                     .arg(QLatin1String(info->test_suite_name()), QLatin1String(info->name()))});
    ASSERT_TRUE(child.waitForStarted(20000));
    bool finished = child.waitForFinished(timeoutMs);
    if (!finished) child.kill();
    QString out = QString::fromLocal8Bit(child.readAll());
    ASSERT_TRUE(finished) << "the child did not finish:\n" << out.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("[  PASSED  ] 1 test."))) << out.toStdString();
    std::cout << out.toStdString();
}

// Processes events until cond holds (at most timeoutMs); a loaded machine gets time.
inline bool WaitFor(const std::function<bool()>& cond, int timeoutMs = 60000) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > timeoutMs) return false;
        QTest::qWait(50);
    }
    return true;
}

// What the X server shows of the window (frames of a video pane included).
inline QImage ScreenOf(QWidget& window) {
    QTest::qWait(100); // let pending paints reach the server
    QCoreApplication::processEvents();
    return window.screen()
        ->grabWindow(window.winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The part of a window's screenshot that shows one of its widgets (device pixels).
inline QImage PartOf(const QImage& shot, QWidget& window, QWidget& part) {
    qreal dpr = shot.devicePixelRatio();
    QRect r(part.mapTo(&window, QPoint(0, 0)), part.size());
    return shot.copy(QRect((r.topLeft() * dpr), r.size() * dpr));
}

inline int CountPixels(const QImage& img, const std::function<bool(QRgb)>& pred) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            n += pred(line[x]);
    }
    return n;
}

inline bool IsDark(QRgb c) {
    return qGray(c) < 100;
}
