// The folder tree "选择磁盘或网络路径": the user's places (root file system, home folder,
// mounted disks and network shares) as top nodes, their folders below. Nothing here waits on
// a disk: the places come from the mount table and follow its changes; a folder is listed on
// a worker thread when its node is first opened, showing "正在读取…" meanwhile and "无响应"
// when no answer came within the deadline; opening it again asks again. Hidden folders and
// files are not shown; changes inside a folder show when its node is opened again.
#pragma once

#include "platform/disks/DiskPlaces.h"
#include "platform/disks/MountTable.h"
#include "platform/threads/HandOver.h"

#include <QFileIconProvider>
#include <QPersistentModelIndex>
#include <QStandardItemModel>
#include <map>
#include <set>
#include <string>

class QTreeView;
class TMountTableWatch;

class TFolderTreeModel : public QStandardItemModel {
    Q_OBJECT
public:
    explicit TFolderTreeModel(QObject* parent = nullptr);
    ~TFolderTreeModel() override;

    // Shows the places of the mount table and keeps them up to date with it.
    void FollowMountTable();
    // Makes the top nodes the given places, in their order; a place that stays keeps its
    // node, opened folders included.
    void ShowPlaces(const std::vector<TDiskPlace>& places);
    // Opening a node in the view reads its folder again: one that did not answer is asked
    // again, one read before shows the folders made or removed since.
    void ReadAgainWhenOpened(QTreeView* view);
    // The real path of a node, "" for an invalid index or a node that stands for no folder.
    QString PathOf(const QModelIndex& index) const;
    // The node of a folder, reached from the place that holds it most closely, opening the
    // nodes on the way and waiting for their listings; invalid when no node shows it.
    QModelIndex IndexOf(const QString& path);

    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    // Shows the places of a new mount table and asks its file systems, each on a worker of
    // its own, what only they can tell.
    void ShowMounts(std::vector<TMountPoint> mounts);
    void ShowAnsweredPlaces();
    void Answered(const QString& point);
    // Asks a worker for the folders of a node's folder.
    void StartListing(const QModelIndex& parent);
    void Listed(int request, QStringList names);
    void ShowListedAgain(QStandardItem* node, const QStringList& names);
    // No answer within the deadline: "无响应" until one comes or the user opens it again.
    void Overdue(int request);

    QFileIconProvider icons_;
    THandOver handOver_;
    TMountTableWatch* watch_ = nullptr;
    std::vector<TMountPoint> mounts_;
    std::map<std::string, QString> labels_;
    TMountAnswers answers_;
    std::set<QString> asking_, answered_; // mount points asked what only they can tell
    std::vector<TDiskPlace> places_;
    int requests_ = 0;
    struct Listing {
        QPersistentModelIndex node; // the node that shows it
        QString path;
        std::string place; // the mount point that holds the folder
    };
    std::map<int, Listing> listing_; // each listing not answered yet
    std::set<std::string> stuck_;    // mount points holding a listing past the deadline
};
