// The window's handlers of the sort commands, the two queries, the record clean-up and the
// insertion of picked files; the work is in maintenance/.
#include "app/uFrmMain.h"

#include "maintenance/CleanUp.h"
#include "maintenance/InsertFiles.h"
#include "maintenance/QueryRows.h"
#include "maintenance/SortRows.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

void TFrmMain::ConnectMaintenance() {
    Connect(mnSortDir, &QAction::triggered, &TFrmMain::mnSortDirClick);
    Connect(mnSortResolution, &QAction::triggered, &TFrmMain::mnSortResolutionClick);
    Connect(mnSortFileName, &QAction::triggered, &TFrmMain::mnSortFileNameClick);
    Connect(mnSortSize, &QAction::triggered, &TFrmMain::mnSortSizeClick);
    Connect(mnSortTime, &QAction::triggered, &TFrmMain::mnSortTimeClick);
    Connect(mnSortType, &QAction::triggered, &TFrmMain::mnSortTypeClick);
    Connect(btnQryFileName, &QPushButton::clicked, &TFrmMain::btnQryFileNameClick);
    Connect(btnQryFilePath, &QPushButton::clicked, &TFrmMain::btnQryFilePathClick);
    Connect(mnDelRow, &QAction::triggered, &TFrmMain::mnDelRowClick);
    Connect(mnDelEmpty, &QAction::triggered, &TFrmMain::mnDelEmptyClick);
    Connect(mnDelLeft, &QAction::triggered, &TFrmMain::mnDelLeftClick);
    Connect(mnInsert, &QAction::triggered, &TFrmMain::mnInsertClick);
}

void TFrmMain::mnSortDirClick() {
    SortRegister(reg_, kSortByDir);
}
void TFrmMain::mnSortResolutionClick() {
    SortRegister(reg_, kSortByResolution);
}
void TFrmMain::mnSortFileNameClick() {
    SortRegister(reg_, kSortByFileName);
}
void TFrmMain::mnSortSizeClick() {
    SortRegister(reg_, kSortBySize);
}
void TFrmMain::mnSortTimeClick() {
    SortRegister(reg_, kSortByTime);
}
void TFrmMain::mnSortTypeClick() {
    SortRegister(reg_, kSortByType);
}

void TFrmMain::btnQryFileNameClick() {
    QueryRegister(reg_, *this, kQueryFileName, edCont->text());
}

void TFrmMain::btnQryFilePathClick() {
    QueryRegister(reg_, *this, kQueryFilePath, edCont->text());
}

void TFrmMain::mnDelRowClick() {
    DeleteSelectedRows(reg_);
}
void TFrmMain::mnDelEmptyClick() {
    PurgeMissingFiles(reg_, *this);
}
void TFrmMain::mnDelLeftClick() {
    RemoveRepeatedNames(reg_, *this);
}
void TFrmMain::mnInsertClick() {
    InsertFromOpenDialog(reg_, *this, *dialogs_);
}
