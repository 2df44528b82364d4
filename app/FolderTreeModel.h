// The folder tree "选择磁盘或网络路径": the user's places (root file system, home folder,
// mounted disks and network shares) as top nodes, their folders below, read when a node is
// first opened. Hidden folders and files are not shown; the tree does not follow later
// changes on disk except for the places themselves, which ShowPlaces brings up to date.
#pragma once

#include "platform/DiskPlaces.h"

#include <QFileIconProvider>
#include <QStandardItemModel>

class TFolderTreeModel : public QStandardItemModel {
    Q_OBJECT
public:
    explicit TFolderTreeModel(QObject* parent = nullptr);

    // Makes the top nodes the given places, in their order; a place that stays keeps its
    // node, opened folders included.
    void ShowPlaces(const std::vector<TDiskPlace>& places);
    // Brings the places up to date whenever the view is shown or the user comes to it.
    void RefreshWhenOpened(QWidget* view);
    // The real path of a node, "" for an invalid index.
    QString PathOf(const QModelIndex& index) const;
    // The node of a folder, reached from the place that holds it most closely (opening the
    // nodes on the way); invalid when no node shows it.
    QModelIndex IndexOf(const QString& path);

    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFileIconProvider icons_;
};
