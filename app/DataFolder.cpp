#include "app/DataFolder.h"

#include "platform/fs/FileCalls.h"
#include "platform/fs/SafeFile.h"
#include "platform/text/GbText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstring>
#include <optional>

namespace {

const char* const kDataFileNames[] = {"视频登记库.vdb", "系统参数.INI", "搜索路径.txt",
                                      "搜索类型.txt"};

} // namespace

QString DataFolderFor(const QString& exeDir, const QString& perUserDir) {
    // /usr holds installed software: even root keeps data out of it.
    bool system = exeDir == QLatin1String("/usr") || exeDir.startsWith(QLatin1String("/usr/"));
    if (!system && MayCreateIn(RealPath(QFile::encodeName(exeDir).toStdString()))) return exeDir;
    // A folder that cannot be made falls back to the program's; saving there then reports
    // the failure with the program's own error text.
    return QDir().mkpath(perUserDir) ? perUserDir : exeDir;
}

QStringList BringDataFilesAlong(const QString& exeDir, const QString& dataDir) {
    if (QFileInfo(dataDir) == QFileInfo(exeDir)) return {};
    QStringList lines;
    bool came = false;
    for (const char* name : kDataFileNames) {
        const QString target = dataDir + QLatin1Char('/') + QString::fromUtf8(name);
        const std::string source =
                              QFile::encodeName(exeDir + QLatin1Char('/')).toStdString() + name,
                          real = QFile::encodeName(target).toStdString();
        // Only a regular file beside the program comes along (a pipe is never opened), and
        // only into a folder that lacks it: the user's own file stays as it is.
        const std::optional<FileStatus> there = StatusOf(RealPath(source));
        if (LinkStatusOf(RealPath(real)) || !there || !IsFileMode(there->mode)) continue;
        if (const int err = CopyNewFileInWhole(source, real))
            lines << QStringLiteral("数据文件复制失败，下次启动时再试: ") + target +
                         QStringLiteral("  ") + QString::fromLocal8Bit(std::strerror(err));
        else
            came = true;
    }
    if (came) lines.prepend(QStringLiteral("数据文件所在文件夹: ") + dataDir);
    return lines;
}

QString PerUserDataDir() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QLatin1String("/tavlora");
}

DataFolder ChooseDataFolder(const QString& exeDir, const QString& perUserDir) {
    const QString dir = DataFolderFor(exeDir, perUserDir);
    DataFolder chosen{QStringToGb(dir), BringDataFilesAlong(exeDir, dir)};
    if (chosen.dir.empty() || chosen.dir.back() != '/') chosen.dir += '/';
    return chosen;
}
