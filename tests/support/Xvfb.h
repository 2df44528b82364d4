// A private X server (Xvfb) for tests that need a real window, and small helpers to run
// the tools that inspect it. The server stops when the object goes.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QThread>

class Xvfb {
public:
    explicit Xvfb(const QString& screen = QStringLiteral("1280x1024x24")) {
        // -displayfd 1: the server picks a free display and writes its number to stdout.
        server_.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                       QStringLiteral("0"), screen, QStringLiteral("-nolisten"),
                       QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (!server_.waitForStarted(20000)) return;
        QElapsedTimer t;
        t.start();
        while (!server_.canReadLine() && server_.state() == QProcess::Running &&
               t.elapsed() < 60000)
            server_.waitForReadyRead(500);
        QString number = QString::fromLatin1(server_.readLine()).trimmed();
        if (!number.isEmpty()) display_ = QLatin1Char(':') + number;
    }
    ~Xvfb() {
        server_.terminate();
        if (!server_.waitForFinished(10000)) server_.kill();
        server_.waitForFinished(5000);
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    // ":N", or "" when the server did not start.
    const QString& Display() const { return display_; }

private:
    QProcess server_;
    QString display_;
};

// Runs a program to its end (at most timeoutMs) and returns its standard output; exitCode
// gets its exit code, -1 when it did not finish.
inline QString RunTool(const QString& program, const QStringList& args, int* exitCode = nullptr,
                       int timeoutMs = 120000, const QString& workDir = QString()) {
    QProcess p;
    if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
    p.start(program, args);
    bool done = p.waitForFinished(timeoutMs);
    if (exitCode) *exitCode = done && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    if (!done) p.kill();
    return QString::fromUtf8(p.readAllStandardOutput()) +
           QString::fromUtf8(p.readAllStandardError());
}

// Polls cond every 100 ms for at most timeoutMs; true when it held. The machine may be
// loaded, so waits are generous and never a fixed sleep.
template <typename Cond> bool PollUntil(Cond cond, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > timeoutMs) return false;
        QThread::msleep(100);
    }
    return true;
}

// The path of a test's source file from __FILE__, which the compiler may give relative to
// the build folder (ccache's base folder), the parent of the test programs' folder.
inline QString TestSourceFile(const char* file) {
    return QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/.."))
        .filePath(QString::fromUtf8(file));
}
