// Calls into a mounted file system for the folder tree. They may wait as long as the disk or
// share takes to answer (for ever on a dead share): run them off the UI thread.
#pragma once

#include <QString>
#include <QStringList>

// The visible sub-folders of a folder, by name, sorted without regard to case; none when it
// cannot be read.
QStringList ListFolders(const QString& path);
// Whether the path is a folder (a mount point can be a file).
bool IsFolder(const QString& path);
