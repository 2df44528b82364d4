// The file commands of the grid's pop-up menu: copy, move, rename, folder rename, delete and
// open folder. The work lives in fileops/.
#include "app/uFrmMain.h"

#include "fileops/CopyMoveFiles.h"
#include "fileops/DeleteRowFiles.h"
#include "fileops/RenameCommands.h"

#include <QAction>

namespace {
FileOpsContext Context(TFrmMain& w) {
    return {w.Register(), w, w.Dialogs(), w.Paths().vdb};
}
} // namespace

void TFrmMain::ConnectFileOps() {
    Connect(mnCopy, &QAction::triggered, &TFrmMain::mnCopyClick);
    Connect(mnMove, &QAction::triggered, &TFrmMain::mnMoveClick);
    Connect(mnRename, &QAction::triggered, &TFrmMain::mnRenameClick);
    Connect(mnRenameDir, &QAction::triggered, &TFrmMain::mnRenameDirClick);
    Connect(mnDelteFile, &QAction::triggered, &TFrmMain::mnDelteFileClick);
    Connect(mnOpenDir, &QAction::triggered, &TFrmMain::mnOpenDirClick);
}

void TFrmMain::mnCopyClick() {
    CopySelectedFiles(Context(*this));
}

void TFrmMain::mnMoveClick() {
    MoveSelectedFiles(Context(*this));
}

void TFrmMain::mnRenameClick() {
    RenameRowFile(Context(*this));
}

void TFrmMain::mnRenameDirClick() {
    RenameRowFolder(Context(*this));
}

void TFrmMain::mnDelteFileClick() {
    DeleteRowFiles(Context(*this));
}

void TFrmMain::mnOpenDirClick() {
    OpenRowFolder(Context(*this), OpenFolder);
}
