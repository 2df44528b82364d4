#include "fileops/FileHelpers.h"

#include "platform/FileErrors.h"
#include "platform/LineReader.h"
#include "platform/Paths.h"
#include "platform/ReachGate.h"
#include "register/GridStore.h"
#include "register/Shell.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <tuple>
#include <unistd.h>

namespace {

// The device of the path, or of its nearest existing ancestor for a path still to be created.
std::optional<dev_t> DeviceOf(std::string_view gbPath) {
    std::string real = ResolvePath(RegisterPath(gbPath)).Bytes();
    for (;;) {
        struct stat st;
        if (!real.empty() && stat(real.c_str(), &st) == 0) return st.st_dev;
        while (real.size() > 1 && real.back() == '/')
            real.pop_back();
        size_t slash = real.rfind('/');
        if (slash == std::string::npos || real == "/") return std::nullopt;
        real.resize(slash + 1);
    }
}

} // namespace

std::string WithSeparator(std::string_view path) {
    std::string result(path);
    if (!result.empty() && result.back() != '/') result += '/';
    return result;
}

std::string RowFilePath(const VideoRegister& reg, int row) {
    std::string_view dir = reg.Cell(colPath, row);
    if (dir.empty()) return {};
    return WithSeparator(dir).append(reg.Cell(colName, row)).append(reg.Cell(colType, row));
}

bool ForceDeleteFile(std::string_view gbPath) {
    const std::vector<DiskEntry> found = FindOnDisk(RegisterPath(gbPath));
    return !found.empty() && S_ISREG(found.front().mode) &&
           DeleteCheckedFile(found.front()) == CheckedDeletion::Deleted;
}

CheckedDeletion DeleteCheckedFile(const DiskEntry& entry) {
    struct stat st;
    if (stat(entry.real.c_str(), &st) != 0) return CheckedDeletion::Gone;
    if (st.st_dev != entry.dev || st.st_ino != entry.ino) return CheckedDeletion::Changed;
    // A read-only mode does not stop unlink (only the folder's rights count), so there is
    // no attribute to clear first.
    FolderEntryChange change(entry.real);
    if (unlink(entry.real.c_str()) != 0) return CheckedDeletion::Failed;
    change.Removed();
    return CheckedDeletion::Deleted;
}

TRowFiles FindRowFiles(const std::string& gbPath) {
    TRowFiles files{FindOnDisk(RegisterPath(gbPath))};
    files.exists = !files.found.empty() && S_ISREG(files.found.front().mode);
    return files;
}

TFileCheck CheckFile(const std::string& gbPath) {
    TFileCheck file;
    file.exists = FileExists(RegisterPath(gbPath));
    if (!file.exists) return file;
    try {
        std::tie(file.size, file.modifiedNs) = GetFileSizeAndTime(gbPath);
    } catch (const ENoAnswer&) {
        throw; // no answer is no failure of the file: the call has none
    } catch (...) {
        file.error = std::current_exception();
    }
    file.real = ResolvePath(RegisterPath(gbPath)).Bytes();
    return file;
}

uint64_t GetFileSizeBytes(std::string_view gbPath) {
    return GetFileSizeAndTime(gbPath).first;
}

std::pair<uint64_t, int64_t> GetFileSizeAndTime(std::string_view gbPath) {
    int fd = OpenRegularFile(ResolvePath(RegisterPath(gbPath)), gbPath);
    struct stat st;
    int rc = fstat(fd, &st);
    int err = errno;
    close(fd);
    if (rc != 0) ThrowOpenError(gbPath, err);
    return {uint64_t(st.st_size), int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

uint64_t GetDiskFreeBytes(std::string_view gbPath) {
    struct statvfs vfs;
    if (statvfs(ResolvePath(RegisterPath(gbPath)).c_str(), &vfs) != 0) return 0;
    return uint64_t(vfs.f_bavail) * uint64_t(vfs.f_frsize);
}

bool SameDrive(std::string_view a, std::string_view b) {
    std::optional<dev_t> da = DeviceOf(a), db = DeviceOf(b);
    return da && db && *da == *db;
}

namespace {

QString Shown(const DiskEntry& entry) {
    return QFile::decodeName(QByteArray::fromStdString(entry.real.Bytes()));
}

} // namespace

bool RefuseAmbiguous(IShell& shell, const std::vector<DiskEntry>& found) {
    if (found.size() < 2) return false;
    QString line = QStringLiteral("多个文件符合此记录，未操作: ");
    for (size_t i = 0; i < found.size(); ++i) {
        if (i > 0) line += QStringLiteral("  ");
        line += Shown(found[i]);
    }
    shell.AddHistory(line);
    shell.ShowHistoryPage();
    return true;
}

void ReportChanged(IShell& shell, const DiskEntry& entry) {
    shell.AddHistory(QStringLiteral("文件已变化，未操作: ") + Shown(entry));
    shell.ShowHistoryPage();
}
