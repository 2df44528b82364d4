#include "fileops/OpenRowFolder.h"

#include "platform/Paths.h"
#include "register/GridStore.h"
#include "register/ShellDiskCalls.h"

#include <QDesktopServices>
#include <QFile>

FolderOpener DesktopOpener() {
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

void OpenRowFolder(const FileOpsContext& ctx, const FolderOpener& open) {
    std::string_view folder = ctx.reg.Cell(colPath, ctx.reg.CurRow());
    if (folder.empty()) return;
    TDiskCalls calls = ShellDiskCalls(ctx.shell);
    const std::optional<std::string> resolved = calls.Call(
        folder, [gb = std::string(folder)] { return ResolvePath(RegisterPath(gb)).Bytes(); });
    if (!resolved) return; // its mount does not answer: the history says so
    const std::string& real = *resolved;
    open(QUrl::fromLocalFile(QFile::decodeName(QByteArray(real.data(), qsizetype(real.size())))));
}
