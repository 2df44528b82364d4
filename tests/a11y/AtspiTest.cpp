// The program as an assistive technology sees it: under a private D-Bus session, an
// AT-SPI client walks the whole window, presses a channel button and "重新搜索>>" through
// their accessible actions, reads the outcome on the status line, then plays the film found
// and finds the full-screen view that a double click on the video pane opens.
#include "journey/TestVideos.h"
#include "platform/text/GbText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
void WriteGb(const QString& path, const QString& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(QStringToGb(text)));
}
} // namespace

TEST(Accessibility, ScreenReaderWalksTheWindowPressesButtonsAndReadsTheStatusLine) {
    const QString built = QCoreApplication::applicationDirPath() + QStringLiteral("/../tavlora");
    ASSERT_TRUE(QFileInfo(built).isExecutable()) << built.toStdString();
    const QString scratch = QStringLiteral(TAVLORA_TEST_DIR "/atspi/");
    QDir(scratch).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(scratch + QStringLiteral("prog")));
    ASSERT_TRUE(QDir().mkpath(scratch + QStringLiteral("videos/sub")));
    // A copy of the program in a folder of its own keeps its files beside it (portable).
    const QString exe = scratch + QStringLiteral("prog/tavlora");
    if (link(QFile::encodeName(built).constData(), QFile::encodeName(exe).constData()) != 0) {
        ASSERT_TRUE(QFile::copy(built, exe));
    }
    for (const char* name : {"videos/a.mp4", "videos/c.txt"}) {
        QFile f(scratch + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // The last row found, current after the search: what the play button plays.
    ASSERT_TRUE(MakeTestVideo(scratch + QStringLiteral("videos/sub/b.avi"), 320, 240, 20));
    WriteGb(scratch + QStringLiteral("prog/搜索路径.txt"),
            QDir::cleanPath(scratch + QStringLiteral("videos")).toUpper() + QStringLiteral("\r\n"));
    WriteGb(scratch + QStringLiteral("prog/搜索类型.txt"), QStringLiteral("MP4\r\nAVI\r\n"));

    Xvfb x;
    ASSERT_FALSE(x.Display().isEmpty()) << "Xvfb did not start";
    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), x.Display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.remove(QStringLiteral("AT_SPI_BUS_ADDRESS"));
    client.setProcessEnvironment(env);
    client.setProcessChannelMode(QProcess::SeparateChannels);
    const QString script =
        QFileInfo(TestSourceFile(__FILE__)).path() + QStringLiteral("/atspi_client.py");
    client.start(QStringLiteral("dbus-run-session"),
                 {QStringLiteral("--"), QStringLiteral("/usr/bin/python3"), script, exe,
                  QStringLiteral("重新搜索>>"), QStringLiteral("搜索完毕"),
                  QStringLiteral("--full-screen=播放")});
    ASSERT_TRUE(client.waitForStarted(20000));
    ASSERT_TRUE(client.waitForFinished(280000)) << "the client did not finish";
    const QString out = QString::fromUtf8(client.readAllStandardOutput());
    const std::string log =
        out.toStdString() + QString::fromUtf8(client.readAllStandardError()).toStdString();
    EXPECT_EQ(client.exitCode(), 0) << log;

    EXPECT_TRUE(out.contains(QStringLiteral("PRESSED 重新搜索>>\n"))) << log;
    auto controls = QRegularExpression(QStringLiteral("CONTROLS (\\d+)")).match(out);
    ASSERT_TRUE(controls.hasMatch()) << log;
    EXPECT_GE(controls.captured(1).toInt(), 20)
        << "the window's controls are not all visible to the client";
    for (const char* fault : {"UNNAMED", "CODE NAME", "NO ROLE"})
        EXPECT_FALSE(out.contains(QLatin1String(fault))) << fault << ":\n" << log;
    EXPECT_TRUE(out.contains(QStringLiteral("WINDOW frame 影库通 V1.1.0.0\n"))) << log;
    for (const char* radio : {"RADIO 左声 unchecked", "RADIO 立体 checked", "RADIO 右声 unchecked"})
        EXPECT_TRUE(out.contains(QString::fromUtf8(radio) + QStringLiteral(" Press"))) << log;
    EXPECT_TRUE(out.contains(
        QStringLiteral("RADIO PRESSED 左声 左声=checked 立体=unchecked 右声=unchecked\n")))
        << log;
    EXPECT_TRUE(out.contains(QStringLiteral("STATUS BAR 状态栏: 提 示|| 影库通 V1.1.0.0|\n")))
        << log;
    EXPECT_TRUE(out.contains(QStringLiteral(" COLUMN 文件夹\n"))) << log;
    EXPECT_TRUE(out.contains(QStringLiteral("STATUS 搜索完毕！共有文件夹：2个，文件：2个。\n")))
        << log;
    EXPECT_TRUE(out.contains(QStringLiteral("PRESSED 播放\nFULL SCREEN animation 全屏视频 ")))
        << log;
    EXPECT_TRUE(out.contains(QStringLiteral("\nFULL SCREEN LEFT\n"))) << log;
}
