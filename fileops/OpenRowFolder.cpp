#include "fileops/OpenRowFolder.h"

#include "platform/Paths.h"
#include "register/GridStore.h"

#include <QDesktopServices>
#include <QFile>

FolderOpener DesktopOpener() {
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

void OpenRowFolder(const FileOpsContext& ctx, const FolderOpener& open) {
    std::string_view folder = ctx.reg.Cell(colPath, ctx.reg.CurRow());
    if (folder.empty()) return;
    const std::string real = ResolvePath(RegisterPath(folder)).Bytes();
    open(QUrl::fromLocalFile(QFile::decodeName(QByteArray(real.data(), qsizetype(real.size())))));
}
