// The search area of the main window: the folder tree, the location and type lists and the
// two search buttons, over the rules and the search of search/.
#include "app/uFrmMain.h"

#include "app/FolderTreeModel.h"
#include "platform/disks/DiskCalls.h"
#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "platform/ui/ShellDiskCalls.h"
#include "register/ListFiles.h"
#include "search/SearchFiles.h"
#include "search/SearchLocations.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>

namespace {

std::vector<std::string> ListItems(const QListWidget* list) {
    std::vector<std::string> items;
    items.reserve(size_t(list->count()));
    for (int i = 0; i < list->count(); ++i)
        items.push_back(QStringToGb(list->item(i)->text()));
    return items;
}

void ShowItems(QListWidget* list, const std::vector<std::string>& items) {
    list->clear();
    for (const std::string& item : items)
        list->addItem(GbToQString(item));
}

// The selected item's index, -1 when none is selected.
int SelectedIndex(const QListWidget* list) {
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

// Removes the selected item, selects the new last one, writes the list file.
void RemoveSelected(QListWidget* list, TDataFiles& data, const std::string& listFile) {
    int selected = SelectedIndex(list);
    if (selected < 0) return;
    std::vector<std::string> items = ListItems(list);
    int next = RemoveListItem(items, selected);
    delete list->takeItem(selected);
    list->setCurrentRow(next);
    data.WriteList(listFile, std::move(items));
}

} // namespace

void TFrmMain::ConnectSearch() {
    // The user's places as top nodes (root file system, home folder, disks and network
    // shares), following the mount table; a folder is read again when the user opens it.
    auto* model = new TFolderTreeModel(stDir);
    model->FollowMountTable();
    model->ReadAgainWhenOpened(stDir);
    stDir->setModel(model);
    stDir->setHeaderHidden(true);
    // Deep folders scroll sideways instead of losing their names to the tree's width.
    stDir->header()->setStretchLastSection(false);
    stDir->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    stDir->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // No single desktop node sits above the places: each of them is a disk the user opens,
    // so each gets its expand button.
    stDir->setRootIsDecorated(true);
    stDir->setSelectionMode(QAbstractItemView::SingleSelection);
    QPalette palette = stDir->palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    stDir->setPalette(palette);

    Connect(btnAddDir, &QPushButton::clicked, &TFrmMain::btnAddDirClick);
    Connect(btnDelDir, &QPushButton::clicked, &TFrmMain::btnDelDirClick);
    Connect(btnAddExt, &QPushButton::clicked, &TFrmMain::btnAddExtClick);
    Connect(dtnDelExt, &QPushButton::clicked, &TFrmMain::dtnDelExtClick);
    Connect(btnSearchNew, &QPushButton::clicked, &TFrmMain::btnSearchNewClick);
    Connect(btnSearchAppend, &QPushButton::clicked, &TFrmMain::btnSearchAppendClick);
}

QString TFrmMain::SelectedTreePath() const {
    const auto selected = stDir->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return {};
    return static_cast<TFolderTreeModel*>(stDir->model())->PathOf(selected.first());
}

void TFrmMain::btnAddDirClick() {
    std::string path = RegisterFormOfPath(QFile::encodeName(SelectedTreePath()).toStdString());
    std::vector<std::string> dirs = ListItems(lstDirs);
    // The folder is asked after on a worker: a share that does not answer costs the deadline
    // once, with the window repainting meanwhile, and is named in the history.
    TDiskCalls disk = ShellDiskCalls(*this);
    auto isFolder = [&disk](std::string_view gbPath) {
        return disk
            .Call(gbPath, [gb = std::string(gbPath)] { return DirectoryExists(RegisterPath(gb)); })
            .value_or(false);
    };
    int at = AddSearchDir(dirs, path, *this, isFolder);
    if (at < 0) return;
    lstDirs->insertItem(at, GbToQString(dirs[size_t(at)]));
    data_.WriteList(Paths().dirsList, dirs);
}

void TFrmMain::btnDelDirClick() {
    RemoveSelected(lstDirs, data_, Paths().dirsList);
}

void TFrmMain::btnAddExtClick() {
    std::vector<std::string> exts = ListItems(lstExt);
    if (!AddFileType(exts, QStringToGb(edFileType->text()))) return;
    lstExt->addItem(GbToQString(exts.back()));
    lstExt->setCurrentRow(lstExt->count() - 1);
    data_.WriteList(Paths().extList, exts);
}

void TFrmMain::dtnDelExtClick() {
    RemoveSelected(lstExt, data_, Paths().extList);
}

void TFrmMain::btnSearchNewClick() {
    SearchButtonClick(btnSearchNew, false);
}

void TFrmMain::btnSearchAppendClick() {
    SearchButtonClick(btnSearchAppend, true);
}

void TFrmMain::SearchButtonClick(QPushButton* button, bool append) {
    const QString caption = append ? QStringLiteral("添加搜索>>") : QStringLiteral("重新搜索>>");
    if (SearchRunning) {
        BreakFlag = true;
        SearchRunning = false;
        button->setText(caption);
        SetStatusText(1, QStringLiteral("中断搜索！"));
        // The controls stay locked until the running walk has returned, so that no second
        // search can start inside it; the search unlocks them itself.
        button->setEnabled(false);
        return;
    }
    LockControls(true);
    // A failure on the way still brings the window back to its idle state.
    struct Restore {
        TFrmMain* window;
        QPushButton* button;
        QString caption;
        bool done = false;
        void Run() {
            done = true;
            SearchRunning = false;
            window->LockControls(false);
            button->setText(caption);
        }
        ~Restore() {
            if (!done) Run();
        }
    } restore{this, button, caption};

    std::vector<std::string> dirs = ListItems(lstDirs);
    size_t listed = dirs.size();
    PruneSearchDirs(dirs);
    if (dirs.size() != listed) ShowItems(lstDirs, dirs);
    button->setEnabled(true);
    button->setText(QStringLiteral("中断搜索>>"));
    searchWork_.Clear();
    SearchRunning = true;
    BreakFlag = false;
    SetStatusText(1, QStringLiteral("正在搜索。请耐心等待......！"));
    const int oldLastRow = reg_.LastRow();
    SearchFiles(append, dirs, ListItems(lstExt), searchWork_, reg_, *this);
    SearchRunning = false;
    const QString summary = QStringLiteral("搜索完毕！共有文件夹：%1个，文件：%2个。")
                                .arg(searchWork_.lstDirectory.size())
                                .arg(searchWork_.lstFiles.Count());
    SetStatusText(1, summary);
    restore.Run();
    const int lastCol = reg_.ColCount() - 1;
    if (!append)
        SelectAllRows();
    else if (reg_.LastRow() > oldLastRow)
        SelectGridRange(1, oldLastRow + 1, lastCol, reg_.LastRow());
    else
        SelectGridRange(1, oldLastRow, lastCol, oldLastRow);
    // A new current cell shows its text on the status line; the summary stays the last word.
    SetStatusText(1, summary);
}
