#include "app/DataFiles.h"

#include "platform/fs/FileErrors.h"
#include "platform/text/GbText.h"
#include "register/IniFile.h"
#include "register/ListFiles.h"

#include <QCoreApplication>
#include <cerrno>

DataFolder ChooseDataFolderInTime() {
    const QString exeDir = QCoreApplication::applicationDirPath(), perUser = PerUserDataDir();
    TDiskCalls calls([](const TMountPoint&) {}, [] { return false; });
    if (std::optional<DataFolder> chosen = calls.Call(
            QStringToGb(perUser), [exeDir, perUser] { return ChooseDataFolder(exeDir, perUser); }))
        return *chosen;
    return {QStringToGb(perUser) + '/', {}, false};
}

TDataFiles::TDataFiles(IShell& shell, const std::string& folder)
    : shell_(shell), folder_(folder), paths_(MakeDataPaths(folder)),
      calls_(
          [&shell](const TMountPoint& mount) {
              shell.AddHistory(QStringLiteral("位置无响应: ") +
                               GbToQString(DiskNameToGb(mount.path)));
          },
          [] { return false; }, QEventLoop::ExcludeUserInputEvents,
          [&shell](const TMountPoint& mount) {
              shell.AddHistory(QStringLiteral("正在等待位置应答: ") +
                               GbToQString(DiskNameToGb(mount.path)));
          }) {}

std::optional<TStartFiles> TDataFiles::ReadAtStart(StartupData defaults) {
    std::optional<TStartFiles> files = calls_.Call(
        paths_.vdb, [paths = paths_, defaults] { return ReadStartFiles(paths, defaults); });
    read_ = files.has_value();
    if (!read_)
        shell_.AddHistory(QStringLiteral("数据文件夹无响应，登记库、参数和列表均未读入: ") +
                          GbToQString(folder_));
    return files;
}

void TDataFiles::WriteSetting(const char* key, std::string value) {
    if (!read_) return;
    calls_.Run(paths_.ini, [ini = paths_.ini, key = std::string(key), value = std::move(value)] {
        IniWriteString(ini, "START", key, value);
    });
}

void TDataFiles::WriteList(const std::string& path, std::vector<std::string> items) {
    if (!read_) return;
    calls_.Run(path, [path, items = std::move(items)] { WriteListFile(path, items); });
}

TRegisterFile TDataFiles::ReadRegister() {
    std::optional<TRegisterFile> file;
    // As long as the share takes: the user asked for the file, and the window answers.
    if (!calls_.Run(
            paths_.vdb, [&] { file = ReadRegisterFile(paths_.vdb); }, true))
        ThrowOpenError(paths_.vdb, EHOSTDOWN);
    return std::move(*file);
}
