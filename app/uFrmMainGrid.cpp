// The register grid's handlers, its selection operations and its pop-up menu.
#include "app/uFrmMain.h"

#include "app/GridText.h"
#include "app/RegisterGrid.h"
#include "app/ShownText.h"
#include "app/StatusPanels.h"
#include "platform/text/GbText.h"
#include "platform/ui/ShellDiskCalls.h"
#include "register/GridStore.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>

namespace {
QAction* AddItem(QMenu* menu, const char* name, const QString& caption, const char* themeIcon,
                 QStyle::StandardPixmap fallback) {
    QAction* action = menu->addAction(
        QIcon::fromTheme(QString::fromLatin1(themeIcon), qApp->style()->standardIcon(fallback)),
        caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}
} // namespace

void TFrmMain::BuildPopupMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->setFont(font());
    QMenu* m = PopupMenu1;
    using S = QStyle;
    mnCal = AddItem(m, "mnCal", QStringLiteral("计算时长等参数"), "accessories-calculator",
                    S::SP_FileDialogInfoView);
    m->addSeparator();
    mnSort = m->addMenu(QIcon::fromTheme(QStringLiteral("view-sort-ascending"),
                                         style()->standardIcon(S::SP_ArrowDown)),
                        QStringLiteral("视频文件排序"));
    mnSort->setObjectName(QStringLiteral("mnSort"));
    mnSort->menuAction()->setObjectName(QStringLiteral("mnSort"));
    mnSortDir =
        AddItem(mnSort, "mnSortDir", QStringLiteral("按文件夹排列"), "folder", S::SP_DirIcon);
    mnSortResolution = AddItem(mnSort, "mnSortResolution", QStringLiteral("按分辨率排序"),
                               "video-display", S::SP_ComputerIcon);
    mnSortFileName = AddItem(mnSort, "mnSortFileName", QStringLiteral("按主文件名排列"),
                             "text-x-generic", S::SP_FileIcon);
    mnSortSize = AddItem(mnSort, "mnSortSize", QStringLiteral("按文件大小排序"), "drive-harddisk",
                         S::SP_DriveHDIcon);
    mnSortTime = AddItem(mnSort, "mnSortTime", QStringLiteral("按文件时长排序"), "appointment-new",
                         S::SP_BrowserReload);
    mnSortType = AddItem(mnSort, "mnSortType", QStringLiteral("按视频类型排序"), "video-x-generic",
                         S::SP_MediaPlay);
    m->addSeparator();
    mnOutTxt =
        AddItem(m, "mnOutTxt", QStringLiteral("输出为文本文件"), "text-x-generic", S::SP_FileIcon);
    N4 = AddItem(m, "N4", QStringLiteral("输出为Excel 表格"), "x-office-spreadsheet",
                 S::SP_FileDialogDetailedView);
    m->addSeparator();
    mnDelRow = AddItem(m, "mnDelRow", QStringLiteral("删除选择行记录"), "list-remove",
                       S::SP_DialogDiscardButton);
    mnDelEmpty = AddItem(m, "mnDelEmpty", QStringLiteral("清除文件不存在的记录"), "edit-clear",
                         S::SP_DialogResetButton);
    mnDelteFile = AddItem(m, "mnDelteFile", QStringLiteral("删除选择行视频文件【慎重】"),
                          "user-trash", S::SP_TrashIcon);
    mnDelLeft = AddItem(m, "mnDelLeft", QStringLiteral("删除相同主文件名的多余记录"), "edit-delete",
                        S::SP_DialogCancelButton);
    m->addSeparator();
    mnSaveVDB = AddItem(m, "mnSaveVDB", QStringLiteral("保存登记库"), "document-save",
                        S::SP_DialogSaveButton);
    mnReloadVDB = AddItem(m, "mnReloadVDB", QStringLiteral("重新装入登记库"), "view-refresh",
                          S::SP_BrowserReload);
    m->addSeparator();
    mnOpenDir =
        AddItem(m, "mnOpenDir", QStringLiteral("打开所在文件夹"), "folder-open", S::SP_DirOpenIcon);
    mnInsert = AddItem(m, "mnInsert", QStringLiteral("插入视频文件记录"), "list-add",
                       S::SP_FileDialogNewFolder);
    mnRename =
        AddItem(m, "mnRename", QStringLiteral("文件名改名"), "document-edit", S::SP_FileLinkIcon);
    mnRenameDir =
        AddItem(m, "mnRenameDir", QStringLiteral("文件夹改名"), "folder-new", S::SP_DirLinkIcon);
    m->addSeparator();
    mnCopy = AddItem(m, "mnCopy", QStringLiteral("文件复制到其他文件夹"), "edit-copy",
                     S::SP_DialogApplyButton);
    mnMove =
        AddItem(m, "mnMove", QStringLiteral("文件移动到其他文件夹"), "go-jump", S::SP_ArrowForward);
}

void TFrmMain::ConnectGrid() {
    connect(&reg_.Cursor(), &TRegisterCursor::currentChanged, this,
            [this] { Guarded([&] { sgClick(); }); });
    connect(&reg_.Cursor(), &TRegisterCursor::selectionChanged, this,
            [this] { ShowSelectedRange(); });
    connect(&reg_, &VideoRegister::editRefused, this, [this](int, int, const QString& reason) {
        SetStatusText(1, QStringLiteral("无法保存：") + reason);
    });
    connect(sg, &TRegisterGrid::DragSelectEnded, this, [this] { Guarded([&] { sgClick(); }); });
    Connect(sg, &TRegisterGrid::CellDoubleClicked, &TFrmMain::sgDblClick);
    connect(sg, &TRegisterGrid::RowMoved, this,
            [this](int from, int to) { Guarded([&] { sgRowMoved(from, to); }); });
    connect(sg, &TRegisterGrid::KeyUp, this, [this](int key, Qt::KeyboardModifiers shift) {
        Guarded([&] { sgKeyUp(key, shift); });
    });
    connect(sg, &TRegisterGrid::MetricsChanged, this, [this] { FitColumns(); });
    Connect(sg, &TRegisterGrid::WheelDown, &TFrmMain::sgMouseWheelDown);
    Connect(sg, &TRegisterGrid::WheelUp, &TFrmMain::sgMouseWheelUp);
    connect(sg, &TRegisterGrid::ContextPopup, this,
            [this](int col, QPoint at) { Guarded([&] { sgContextPopup(col, at); }); });
    Connect(mnSaveVDB, &QAction::triggered, &TFrmMain::mnSaveVDBClick);
    Connect(mnReloadVDB, &QAction::triggered, &TFrmMain::mnReloadVDBClick);
}

void TFrmMain::ShowSelectedRange() {
    const GridRect& sel = reg_.Cursor().Selection();
    SetStatusText(3, QStringLiteral("选择行范围: %1--%2").arg(sel.top).arg(sel.bottom));
}

void TFrmMain::sgClick() {
    SetStatusText(1, GbShownPart(reg_.Cell(reg_.Cursor().CurCol(), reg_.Cursor().CurRow()),
                                 SB->ShownWidth()));
    sg->SetEditing(reg_.Cursor().CurCol() >= colTrack);
    ShowSelectedRange();
}

void TFrmMain::sgDblClick() {
    int col = reg_.Cursor().CurCol(), row = reg_.Cursor().CurRow();
    if (col == colChannel)
        reg_.SetCell(col, row, NextChannel(reg_.Cell(col, row)));
    else if (col == colPath || col == colName)
        edCont->setText(GbToQString(reg_.Cell(col, row)));
}

void TFrmMain::sgRowMoved(int, int) {
    RenumberRows(reg_);
}

void TFrmMain::sgKeyUp(int key, Qt::KeyboardModifiers shift) {
    if (key == Qt::Key_A && (shift & Qt::ControlModifier)) SelectAllRows();
}

void TFrmMain::sgMouseWheelDown() {
    if (sg->TopRow() < reg_.LastRow()) sg->SetTopRow(sg->TopRow() + 1);
}

void TFrmMain::sgMouseWheelUp() {
    if (sg->TopRow() > 1) sg->SetTopRow(sg->TopRow() - 1);
}

void TFrmMain::sgContextPopup(int col, QPoint globalPos) {
    mnRename->setEnabled(col == colName);
    mnRenameDir->setEnabled(col == colPath);
    PopupMenu1->popup(globalPos);
}

void TFrmMain::SelectGridRange(int left, int top, int right, int bottom) {
    // The view stays where it is.
    int topRow = sg->TopRow();
    reg_.Cursor().SetSelection({left, top, right, bottom});
    reg_.Cursor().SetCurrent(right, bottom);
    sg->SetTopRow(topRow);
}

void TFrmMain::SelectAllRows() {
    SelectGridRange(1, 1, reg_.ColCount() - 1, reg_.LastRow());
}

void TFrmMain::mnSaveVDBClick() {
    // The file there holds a catalogue the window never read: replaced only when the user says so.
    if (const std::string& reason = reg_.UnreadDatabase(); !reason.empty()) {
        const QString text =
            QStringLiteral("登记库文件“") + GbToQString(Paths().vdb) +
            QStringLiteral("”未能读入（") + QString::fromUtf8(reason.c_str()) +
            QStringLiteral("），现在的登记表并不是它的内容。\n用现在的登记表替换这个文件吗？");
        if (dialogs_->AskYesNoCancel(QStringLiteral("保存登记库"), text) != IDialogs::Answer::Yes)
            return;
    }
    SaveRegister(reg_, Paths().vdb, ShellDiskWork(*this, Paths().vdb));
    SetStatusText(1, QStringLiteral("登记库已经保存！"));
}

void TFrmMain::mnReloadVDBClick() {
    LoadRegister(reg_, [this] { return data_.ReadRegister(); });
}
