#include "app/FolderTreeModel.h"

#include "platform/disks/DiskLabels.h"
#include "platform/disks/MountTableWatch.h"
#include "platform/fs/FolderListing.h"
#include "platform/threads/DeadlineWorker.h"
#include "platform/threads/DetachedCall.h"
#include "platform/threads/EventWait.h"

#include <QDir>
#include <QSet>
#include <QTimer>
#include <QTreeView>

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kStateRole = Qt::UserRole + 2;   // a node's folders: ListingState
constexpr int kRequestRole = Qt::UserRole + 3; // the listing being waited for
enum ListingState { NotRead, Reading, Read, NoAnswer };

ListingState StateOf(const QModelIndex& index) {
    return ListingState(index.data(kStateRole).toInt());
}

QIcon PlaceIcon(const QFileIconProvider& icons, TDiskPlace::Kind kind) {
    switch (kind) {
    case TDiskPlace::Root:
        return icons.icon(QFileIconProvider::Computer);
    case TDiskPlace::Home: // by name: the icon of the folder itself would ask the disk
        return QIcon::fromTheme(QStringLiteral("user-home"), icons.icon(QFileIconProvider::Folder));
    case TDiskPlace::Disk:
        return icons.icon(QFileIconProvider::Drive);
    case TDiskPlace::Network:
        return icons.icon(QFileIconProvider::Network);
    }
    return {};
}

QStandardItem* MakeNode(const QString& path, const QString& name, const QIcon& icon) {
    auto* item = new QStandardItem(icon, name);
    item->setEditable(false);
    item->setData(path, kPathRole);
    item->setToolTip(name); // the whole name, when the tree's width shows only its start
    return item;
}

// The node of folder `name` listed in `parent`'s folder: its path joined as text, so that no
// call reaches the disk on this thread.
QStandardItem* ChildNode(const QStandardItem* parent, const QString& name, const QIcon& icon) {
    QString path = parent->data(kPathRole).toString();
    if (!path.endsWith(u'/')) path += u'/';
    return MakeNode(path + name, name, icon);
}

// The one child of a node whose folders are not known yet: "正在读取…" or "无响应".
void ShowPending(QStandardItem* node, const QString& text) {
    if (node->rowCount() > 0) {
        node->child(0)->setText(text);
        return;
    }
    auto* item = new QStandardItem(text);
    item->setEditable(false);
    item->setSelectable(false);
    item->setData(Read, kStateRole);
    node->appendRow(item);
}

bool Under(const QString& path, const QString& folder) {
    return path == folder ||
           path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}
} // namespace

TFolderTreeModel::TFolderTreeModel(QObject* parent) : QStandardItemModel(parent), handOver_(this) {
    // Hidden on the screen, but read out by screen readers.
    setHorizontalHeaderLabels({QStringLiteral("文件夹")});
}

TFolderTreeModel::~TFolderTreeModel() {
    handOver_.Close(); // answers still on their way find nobody
}

void TFolderTreeModel::FollowMountTable() {
    watch_ = new TMountTableWatch(this);
    connect(watch_, &TMountTableWatch::Changed, this, [this] { ShowMounts(watch_->Mounts()); });
    ShowMounts(watch_->Mounts());
}

void TFolderTreeModel::ShowMounts(std::vector<TMountPoint> mounts) {
    mounts_ = std::move(mounts);
    labels_ = ReadDiskLabels(mounts_);
    // Answers about mount points that are gone are forgotten; the others stay, so that a
    // change of the mount table asks nothing again.
    std::set<QString> points;
    for (const TMountPoint& m : mounts_)
        points.insert(QString::fromStdString(m.path));
    std::erase_if(answered_, [&](const QString& p) { return !points.contains(p); });
    std::erase_if(answers_.notFolders, [&](const QString& p) { return !points.contains(p); });
    std::erase_if(answers_.gvfsShares, [&](const auto& a) { return !points.contains(a.first); });
    ShowAnsweredPlaces();
    // What only the mounted file systems can tell is asked of them, one worker each, so that
    // one that does not answer holds up nothing else; one question per place at a time,
    // whatever the mount table does meanwhile.
    auto ask = [this](const QString& point) {
        return !answered_.contains(point) && asking_.insert(point).second;
    };
    for (const TDiskPlace& place : places_) {
        if (!place.askIfFolder || !ask(place.path)) continue;
        RunDetached(
            handOver_, [path = place.path] { return IsFolder(path); },
            [this, path = place.path](bool folder) {
                Answered(path);
                if (!folder) answers_.notFolders.insert(path);
                ShowAnsweredPlaces();
            });
    }
    for (const QString& point : GvfsMountPoints(mounts_)) {
        if (!ask(point)) continue;
        RunDetached(
            handOver_, [point] { return ListFolders(point); },
            [this, point](QStringList shares) {
                Answered(point);
                answers_.gvfsShares[point] = std::move(shares);
                ShowAnsweredPlaces();
            });
    }
}

void TFolderTreeModel::Answered(const QString& point) {
    asking_.erase(point);
    answered_.insert(point);
}

void TFolderTreeModel::ShowAnsweredPlaces() {
    places_ = DiskPlaces(mounts_, QDir::homePath(), labels_, answers_);
    ShowPlaces(places_);
}

void TFolderTreeModel::ShowPlaces(const std::vector<TDiskPlace>& places) {
    QStandardItem* top = invisibleRootItem();
    for (int row = top->rowCount() - 1; row >= 0; --row) {
        const QString path = top->child(row)->data(kPathRole).toString();
        bool stays = std::any_of(places.begin(), places.end(),
                                 [&](const TDiskPlace& p) { return p.path == path; });
        if (!stays) top->removeRow(row);
    }
    // A place that stays keeps its node where it is, never taken out and put back: its open
    // folders and the indexes held on it stay valid. A new place goes after the places
    // before it in the new order.
    int at = 0;
    for (const TDiskPlace& place : places) {
        int row = 0;
        while (row < top->rowCount() && top->child(row)->data(kPathRole).toString() != place.path)
            ++row;
        if (row < top->rowCount()) {
            top->child(row)->setText(place.name);
            at = std::max(at, row + 1);
            continue;
        }
        QStandardItem* node = MakeNode(place.path, place.name, PlaceIcon(icons_, place.kind));
        node->setToolTip(place.path);
        top->insertRow(at++, node);
    }
}

void TFolderTreeModel::ReadAgainWhenOpened(QTreeView* view) {
    connect(view, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        switch (StateOf(index)) {
        case NoAnswer:
            itemFromIndex(index)->setData(NotRead, kStateRole);
            fetchMore(index);
            break;
        case Read: // the folders shown stay until the new listing answers
            StartListing(index);
            break;
        default:
            break;
        }
    });
}

QString TFolderTreeModel::PathOf(const QModelIndex& index) const {
    return index.isValid() ? index.data(kPathRole).toString() : QString();
}

QModelIndex TFolderTreeModel::IndexOf(const QString& wanted) {
    const QString path = QDir::cleanPath(wanted);
    QPersistentModelIndex node;
    QString nodePath;
    for (int row = 0; row < rowCount(); ++row) {
        const QModelIndex place = index(row, 0);
        const QString placePath = PathOf(place);
        if (Under(path, placePath) && (!node.isValid() || placePath.size() > nodePath.size())) {
            node = place;
            nodePath = placePath;
        }
    }
    while (node.isValid() && nodePath != path) {
        if (canFetchMore(node)) fetchMore(node);
        WaitUntil([&] { return !node.isValid() || StateOf(node) != Reading; }, DiskDeadlineMs(),
                  [] { return false; });
        QModelIndex next;
        for (int row = 0; row < rowCount(node) && !next.isValid(); ++row) {
            const QModelIndex child = index(row, 0, node);
            if (!PathOf(child).isEmpty() && Under(path, PathOf(child))) {
                next = child;
                nodePath = PathOf(child);
            }
        }
        node = next;
    }
    return node;
}

bool TFolderTreeModel::hasChildren(const QModelIndex& parent) const {
    if (canFetchMore(parent)) return true;
    return QStandardItemModel::hasChildren(parent);
}

bool TFolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    return parent.isValid() && StateOf(parent) == NotRead;
}

void TFolderTreeModel::fetchMore(const QModelIndex& parent) {
    QStandardItem* node = itemFromIndex(parent);
    if (!node || !canFetchMore(parent)) return;
    node->setData(Reading, kStateRole);
    ShowPending(node, QStringLiteral("正在读取…"));
    StartListing(parent);
}

// A mount that holds a listing past the deadline is asked nothing more until that listing
// returns (at most one stuck worker per mount): a folder on it asked again waits for its
// listing still on the way, and any other gets no answer at once.
void TFolderTreeModel::StartListing(const QModelIndex& parent) {
    QStandardItem* node = itemFromIndex(parent);
    const QString path = PathOf(parent);
    const TMountPoint* mount = MountOfRealPath(mounts_, path.toStdString());
    const std::string place = mount ? mount->path : std::string();
    auto asked = listing_.end();
    if (stuck_.contains(place)) {
        asked = std::find_if(listing_.begin(), listing_.end(),
                             [&](const auto& l) { return l.second.path == path; });
        if (asked == listing_.end()) {
            if (StateOf(parent) != Reading) return; // the folders shown stay
            node->setData(NoAnswer, kStateRole);
            ShowPending(node, QStringLiteral("无响应"));
            return;
        }
    }
    const int request = asked != listing_.end() ? asked->first : ++requests_;
    node->setData(request, kRequestRole);
    listing_[request] = {QPersistentModelIndex(parent), path, place};
    if (asked == listing_.end())
        RunDetached(
            handOver_, [path] { return ListFolders(path); },
            [this, request](QStringList names) { Listed(request, std::move(names)); });
    QTimer::singleShot(DiskDeadlineMs(), this, [this, request] { Overdue(request); });
}

// A late answer still counts: the share may have come back.
void TFolderTreeModel::Listed(int request, QStringList names) {
    auto it = listing_.find(request);
    if (it == listing_.end()) return;
    QStandardItem* node = itemFromIndex(it->second.node);
    stuck_.erase(it->second.place);
    listing_.erase(it);
    if (!node) return;
    if (StateOf(node->index()) == Read) {
        if (node->data(kRequestRole).toInt() == request) ShowListedAgain(node, names);
        return;
    }
    node->setData(Read, kStateRole);
    node->removeRows(0, node->rowCount());
    const QIcon folder = icons_.icon(QFileIconProvider::Folder);
    QList<QStandardItem*> children;
    for (const QString& name : names)
        children << ChildNode(node, name, folder);
    node->appendRows(children);
}

// The folders that stay keep their nodes (and what is open below them); new ones come in at
// their place in the listing's order, gone ones go.
void TFolderTreeModel::ShowListedAgain(QStandardItem* node, const QStringList& names) {
    const QSet<QString> listed(names.begin(), names.end());
    for (int row = node->rowCount() - 1; row >= 0; --row)
        if (!listed.contains(node->child(row)->text())) node->removeRow(row);
    const QIcon folder = icons_.icon(QFileIconProvider::Folder);
    int row = 0;
    for (const QString& name : names) {
        if (row >= node->rowCount() || node->child(row)->text() != name)
            node->insertRow(row, ChildNode(node, name, folder));
        QStandardItem* child = node->child(row++);
        // A folder found empty before gets its expand button back: it may hold folders now.
        if (StateOf(child->index()) == Read && child->rowCount() == 0)
            child->setData(NotRead, kStateRole);
    }
    if (row < node->rowCount()) node->removeRows(row, node->rowCount() - row); // out of order
}

void TFolderTreeModel::Overdue(int request) {
    auto it = listing_.find(request);
    if (it == listing_.end()) return;
    stuck_.insert(it->second.place);
    QStandardItem* node = itemFromIndex(it->second.node);
    if (!node || node->data(kRequestRole).toInt() != request || StateOf(it->second.node) != Reading)
        return;
    node->setData(NoAnswer, kStateRole);
    ShowPending(node, QStringLiteral("无响应"));
}
