// Opening the folder of the grid's current row in the desktop's file browser.
#pragma once

#include "fileops/FileOpsContext.h"

#include <QUrl>
#include <functional>

// The desktop's "open"; tests put a recorder in its place.
using FolderOpener = std::function<bool(const QUrl&)>;
FolderOpener DesktopOpener();

// Opens the current row's path cell when it names an existing folder (the history says
// when not); the outcome is the desktop's affair.
void OpenRowFolder(const FileOpsContext& ctx, const FolderOpener& open = DesktopOpener());
