#include "fileops/OpenRowFolder.h"

#include "platform/fs/FileCalls.h"
#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "platform/ui/ShellDiskCalls.h"
#include "register/GridStore.h"

#include <QDesktopServices>
#include <QFile>

FolderOpener DesktopOpener() {
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

void OpenRowFolder(const FileOpsContext& ctx, const FolderOpener& open) {
    std::string_view folder = ctx.reg.Cell(colPath, ctx.reg.Cursor().CurRow());
    if (folder.empty()) return;
    TDiskCalls calls = ShellDiskCalls(ctx.shell);
    // Only a folder is handed to the desktop: its opener would run a file.
    const std::optional<std::string> resolved = calls.Call(folder, [gb = std::string(folder)] {
        const std::vector<DiskEntry> found = FindOnDisk(RegisterPath(gb));
        return !found.empty() && IsFolderMode(found.front().mode) ? found.front().real.Bytes()
                                                                  : std::string();
    });
    if (!resolved) return; // its mount does not answer: the history says so
    const std::string& real = *resolved;
    if (real.empty()) {
        ctx.shell.AddHistory(QStringLiteral("文件夹不存在，未打开: ") + GbToQString(folder));
        return;
    }
    open(QUrl::fromLocalFile(QFile::decodeName(QByteArray(real.data(), qsizetype(real.size())))));
}
