#include "fileops/FileHelpers.h"

#include "platform/disks/ReachGate.h"
#include "platform/fs/FileCalls.h"
#include "platform/fs/FileErrors.h"
#include "platform/fs/LineReader.h"
#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "platform/ui/Shell.h"
#include "register/GridStore.h"
#include "register/StorableCell.h"

#include <QFile>

#include <cerrno>
#include <optional>
#include <tuple>

namespace {

// The device of the path, or of its nearest existing ancestor for a path still to be created.
std::optional<dev_t> DeviceOf(std::string_view gbPath) {
    std::string real = ResolvePath(RegisterPath(gbPath)).Bytes();
    for (;;) {
        if (real.empty()) return std::nullopt;
        if (const std::optional<FileStatus> st = StatusOf(RealPath(real))) return st->dev;
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

std::string RowPathText(const VideoRegister& reg, int row) {
    std::string_view dir = reg.Cell(colPath, row);
    if (dir.empty()) return {};
    return WithSeparator(dir).append(reg.Cell(colName, row)).append(reg.Cell(colType, row));
}

namespace {

bool LeadsOutOfFolder(const VideoRegister& reg, int row) {
    return !reg.Cell(colPath, row).empty() &&
           FileNameFault(reg.Cell(colName, row), reg.Cell(colType, row)) != CellFault::None;
}

} // namespace

std::string RowFilePath(const VideoRegister& reg, int row) {
    return LeadsOutOfFolder(reg, row) ? std::string() : RowPathText(reg, row);
}

std::string RowFilePath(IShell& shell, const VideoRegister& reg, int row) {
    if (LeadsOutOfFolder(reg, row))
        shell.AddHistory(
            QStringLiteral("第%1行的文件名或类型指向本文件夹以外，不操作文件: ").arg(row) +
            GbToQString(RowPathText(reg, row)));
    return RowFilePath(reg, row);
}

namespace {

bool RemoveFound(const DiskEntry& entry) {
    // A read-only mode does not stop unlink (only the folder's rights count), so there is
    // no attribute to clear first.
    FolderEntryChange change(entry.real);
    if (!RemoveFile(entry.real)) return false;
    change.Removed();
    return true;
}

// The size and time of the file at a real path, from the file opened once.
std::pair<uint64_t, int64_t> SizeAndTimeOf(const RealPath& real, std::string_view gbPath) {
    int fd = OpenRegularFile(real, gbPath);
    const std::optional<FileStatus> st = StatusOfOpen(fd);
    const int err = errno;
    CloseFile(fd);
    if (!st) ThrowOpenError(gbPath, err);
    return {st->size, st->modifiedNs};
}

} // namespace

bool DeleteFoundFile(const std::vector<DiskEntry>& found) {
    return !found.empty() && IsFileMode(found.front().mode) && RemoveFound(found.front());
}

CheckedDeletion DeleteCheckedFile(const DiskEntry& entry) {
    const std::optional<FileStatus> st = StatusOf(entry.real);
    if (!st) return CheckedDeletion::Gone;
    if (st->dev != entry.dev || st->ino != entry.ino) return CheckedDeletion::Changed;
    return RemoveFound(entry) ? CheckedDeletion::Deleted : CheckedDeletion::Failed;
}

TFileCheck CheckFile(const std::string& gbPath, FileLook look) {
    TFileCheck file;
    file.found = FindOnDisk(RegisterPath(gbPath));
    file.exists = !file.found.empty() && IsFileMode(file.found.front().mode);
    if (!file.exists) return file;
    file.real = file.found.front().real;
    if (look == FileLook::Entry) return file;
    try {
        std::tie(file.size, file.modifiedNs) = SizeAndTimeOf(file.found.front().real, gbPath);
    } catch (const ENoAnswer&) {
        throw; // no answer is no failure of the file: the call has none
    } catch (...) {
        file.error = std::current_exception();
    }
    return file;
}

uint64_t GetFileSizeBytes(std::string_view gbPath) {
    return SizeAndTimeOf(ResolvePath(RegisterPath(gbPath)), gbPath).first;
}

uint64_t GetDiskFreeBytes(std::string_view gbPath) {
    return FreeBytesAt(ResolvePath(RegisterPath(gbPath)));
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
