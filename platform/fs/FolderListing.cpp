#include "platform/fs/FolderListing.h"

#include <QDir>
#include <QFileInfo>

QStringList ListFolders(const QString& path) {
    return QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

bool IsFolder(const QString& path) {
    return QFileInfo(path).isDir();
}
