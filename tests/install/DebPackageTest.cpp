// The Debian package: cpack builds it, it unpacks into a scratch root, and the unpacked
// program opens its window on a private X server, keeping its data files in the user's
// own data folder because its /usr/bin is not writable for the user who runs it.
#include "support/Xvfb.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// The caption: the product name and the version.
const QString kTitle = QStringLiteral("影库通 V");

QString BuildDir() {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
}

// The id of a mapped top-level window whose title holds kTitle, or "".
QString MappedProgramWindow(const QString& display) {
    QString tree =
        RunTool(QStringLiteral("xwininfo"), {QStringLiteral("-display"), display,
                                             QStringLiteral("-root"), QStringLiteral("-tree")});
    static const QRegularExpression line(QStringLiteral("^\\s*(0x[0-9a-f]+) \"([^\"]*)\""),
                                         QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(tree); it.hasNext();) {
        auto m = it.next();
        if (!m.captured(2).contains(kTitle)) continue;
        QString info = RunTool(QStringLiteral("xwininfo"), {QStringLiteral("-display"), display,
                                                            QStringLiteral("-id"), m.captured(1)});
        if (info.contains(QStringLiteral("IsViewable"))) return m.captured(1);
    }
    return {};
}

} // namespace

TEST(DebPackage, BuildsUnpacksAndStartsWithDataInTheUsersFolder) {
    const QString build = BuildDir();
    ASSERT_TRUE(QFile::exists(build + QStringLiteral("/CPackConfig.cmake"))) << build.toStdString();
    const QString scratch = QStringLiteral(TAVLORA_TEST_DIR "/deb");
    QDir(scratch).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(scratch + QStringLiteral("/pkg")));

    // Build the package.
    int rc = 0;
    QString out = RunTool(QStringLiteral("cpack"),
                          {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"),
                           scratch + QStringLiteral("/pkg"), QStringLiteral("--config"),
                           build + QStringLiteral("/CPackConfig.cmake")},
                          &rc, 240000, build);
    ASSERT_EQ(rc, 0) << out.toStdString();
    QStringList debs = QDir(scratch + QStringLiteral("/pkg")).entryList({QStringLiteral("*.deb")});
    ASSERT_EQ(debs.size(), 1) << out.toStdString();
    const QString deb = scratch + QStringLiteral("/pkg/") + debs.front();

    // What it declares: the shared libraries found by dpkg-shlibdeps and the plugins,
    // font and translations that are loaded at run time.
    QString depends =
        RunTool(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QStringLiteral("Depends")});
    for (const char* dep :
         {"libqt6widgets6", "libqt6core6", "gstreamer1.0-plugins-good", "gstreamer1.0-plugins-ugly",
          "gstreamer1.0-libav", "fonts-noto-cjk", "qt6-translations-l10n"})
        EXPECT_TRUE(depends.contains(QLatin1String(dep))) << dep << " in " << depends.toStdString();

    // Unpack into a scratch root that another user can read.
    const QString root = scratch + QStringLiteral("/root");
    out = RunTool(QStringLiteral("dpkg"), {QStringLiteral("-x"), deb, root}, &rc);
    ASSERT_EQ(rc, 0) << out.toStdString();
    const QString bin = root + QStringLiteral("/usr/bin");
    ASSERT_TRUE(QFileInfo(bin + QStringLiteral("/tavlora")).isExecutable());
    QFile desktop(root + QStringLiteral("/usr/share/applications/tavlora.desktop"));
    ASSERT_TRUE(desktop.open(QIODevice::ReadOnly));
    QString entry = QString::fromUtf8(desktop.readAll());
    EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=tavlora\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("\nIcon=tavlora\n")));
    EXPECT_TRUE(entry.contains(QStringLiteral("Name[zh_CN]=星澜影库通")));
    EXPECT_TRUE(
        QFile::exists(root + QStringLiteral("/usr/share/icons/hicolor/scalable/apps/tavlora.svg")));
    EXPECT_TRUE(
        QFile::exists(root + QStringLiteral("/usr/share/icons/hicolor/128x128/apps/tavlora.png")));
    // What software centres read: the metainfo file, valid together with the menu entry.
    QFile metainfo(root +
                   QStringLiteral("/usr/share/metainfo/io.github.tavlora.tavlora.metainfo.xml"));
    ASSERT_TRUE(metainfo.open(QIODevice::ReadOnly));
    const QString component = QString::fromUtf8(metainfo.readAll());
    for (const char* part : {"<summary xml:lang=\"zh-CN\">", "<category>AudioVideo</category>",
                             "<screenshot type=\"default\">", "<release version=\"1.1.0.0\"",
                             "<project_license>GPL-3.0-or-later</project_license>"})
        EXPECT_TRUE(component.contains(QLatin1String(part))) << part;
    // Even a pedantic hint about the licence counts: the exit code ignores those.
    out = RunTool(QStringLiteral("appstreamcli"),
                  {QStringLiteral("validate-tree"), QStringLiteral("--pedantic"),
                   QStringLiteral("--no-net"), root},
                  &rc);
    EXPECT_EQ(rc, 0) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("Validation was successful"))) << out.toStdString();
    EXPECT_FALSE(out.contains(QStringLiteral("licen"), Qt::CaseInsensitive)) << out.toStdString();
    QFile copyright(root + QStringLiteral("/usr/share/doc/tavlora/copyright"));
    ASSERT_TRUE(copyright.open(QIODevice::ReadOnly));
    const QByteArray terms = copyright.readAll();
    EXPECT_TRUE(terms.startsWith("Format: https://www.debian.org/doc/packaging-manuals/"
                                 "copyright-format/1.0/\n"));
    EXPECT_TRUE(terms.contains("\nFiles: *\nCopyright: ") && terms.contains("\nLicense: GPL-3+\n"));

    // The user: as root (CI) the program runs as "nobody", for whom usr/bin is read-only;
    // otherwise the folder is made read-only for the user running the test.
    const QString home = scratch + QStringLiteral("/home");
    ASSERT_TRUE(QDir().mkpath(home));
    QStringList command;
    if (geteuid() == 0) {
        for (QString d = scratch; d != QStringLiteral("/"); d = QFileInfo(d).path())
            QFile(d).setPermissions(QFile(d).permissions() | QFileDevice::ExeOther |
                                    QFileDevice::ReadOther);
        ASSERT_EQ(chown(QFile::encodeName(home).constData(), 65534, 65534), 0);
        command = {QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                   QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")};
    } else {
        ASSERT_TRUE(QFile(bin).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                              QFileDevice::ReadOther | QFileDevice::ExeOther));
    }

    // The program, started by an accessibility client (under its own D-Bus session) that
    // presses "加入": the default type joins the type list, which is written at once.
    Xvfb x;
    ASSERT_FALSE(x.Display().isEmpty()) << "Xvfb did not start";
    const QString client =
        QFileInfo(TestSourceFile(__FILE__)).path() + QStringLiteral("/../a11y/atspi_client.py");
    command << QStringLiteral("dbus-run-session") << QStringLiteral("--")
            << QStringLiteral("/usr/bin/python3") << client << bin + QStringLiteral("/tavlora")
            << QStringLiteral("加入")
            << QStringLiteral("--wait-file=") + home +
                   QStringLiteral("/.local/share/tavlora/搜索类型.txt");
    QProcess program;
    QProcessEnvironment env;
    env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("DISPLAY"), x.Display());
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(command.takeFirst(), command);
    ASSERT_TRUE(program.waitForStarted(20000));

    QString window;
    PollUntil(
        [&] {
            window = MappedProgramWindow(x.Display());
            return !window.isEmpty() || program.state() != QProcess::Running;
        },
        120000);
    bool finished = program.waitForFinished(150000);
    if (!finished) program.kill();
    QString log = QString::fromUtf8(program.readAll());
    ASSERT_FALSE(window.isEmpty()) << "no window; output:\n" << log.toStdString();
    ASSERT_TRUE(finished && program.exitCode() == 0) << log.toStdString();

    const QString data = home + QStringLiteral("/.local/share/tavlora/");
    QFile types(data + QStringLiteral("搜索类型.txt"));
    ASSERT_TRUE(types.open(QIODevice::ReadOnly)) << "nothing in the per-user folder:\n"
                                                 << log.toStdString();
    EXPECT_EQ(types.readAll(), QByteArray("RMVB\r\n"));
    EXPECT_EQ(QDir(bin).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("tavlora")})
        << "the program wrote into its own folder";
}
