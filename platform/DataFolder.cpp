#include "platform/DataFolder.h"

#include "platform/GbText.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kDataFileNames[] = {"视频登记库.vdb", "系统参数.INI", "搜索路径.txt",
                                      "搜索类型.txt"};

// Copies all bytes from one descriptor to the other; the errno of a failure, or 0.
int CopyBytes(int from, int to) {
    char block[65536];
    for (;;) {
        ssize_t n = ::read(from, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(to, block + done, size_t(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) return errno;
            done += w;
        }
    }
}

// Writes a copy of the regular file `source` beside `target` under a temporary name, checks
// that every byte is on disk, and only then gives it the name `target`, which never replaces
// an existing file. The errno of a failure (after which nothing of the copy is left), or 0.
int CopyInWhole(const std::string& source, const std::string& target) {
    const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (from < 0) return errno;
    std::string temp = target + ".tmpXXXXXX";
    const int to = mkostemp(temp.data(), O_CLOEXEC);
    if (to < 0) {
        const int err = errno;
        ::close(from);
        return err;
    }
    struct stat in {
    }, out{};
    int err = fstat(from, &in) != 0 ? errno : CopyBytes(from, to);
    if (!err && (fchmod(to, (in.st_mode & 0666) | S_IRUSR | S_IWUSR) != 0 || fsync(to) != 0 ||
                 fstat(to, &out) != 0))
        err = errno;
    if (!err && out.st_size != in.st_size) err = EIO; // the source changed while it was read
    if (::close(to) != 0 && !err) err = errno;
    ::close(from);
    if (!err && renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return SyncFolderOf(target), 0;
    if (!err) {
        err = errno;
        // Where the file system lacks RENAME_NOREPLACE, a hard link never replaces either.
        if ((err == EINVAL || err == ENOSYS || err == EOPNOTSUPP) &&
            ::link(temp.c_str(), target.c_str()) == 0) {
            err = 0;
            SyncFolderOf(target);
        }
        if (err == EEXIST) err = 0; // another start of the program brought it meanwhile
    }
    ::unlink(temp.c_str());
    return err;
}

} // namespace

QString DataFolderFor(const QString& exeDir, const QString& perUserDir) {
    // /usr holds installed software: even root keeps data out of it.
    bool system = exeDir == QLatin1String("/usr") || exeDir.startsWith(QLatin1String("/usr/"));
    QByteArray local = QFile::encodeName(exeDir);
    if (!system && faccessat(AT_FDCWD, local.constData(), W_OK | X_OK, AT_EACCESS) == 0)
        return exeDir;
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
        struct stat st;
        if (lstat(real.c_str(), &st) == 0 || stat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (const int err = CopyInWhole(source, real))
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

DataPaths MakeDataPaths(const std::string& programDir) {
    return {programDir + Utf8ToGb("视频登记库.vdb"), programDir + Utf8ToGb("系统参数.INI"),
            programDir + Utf8ToGb("搜索路径.txt"), programDir + Utf8ToGb("搜索类型.txt")};
}
