#include "app/FolderTreeModel.h"

#include <QDir>
#include <QEvent>
#include <QWidget>

namespace {
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kReadRole = Qt::UserRole + 2; // the node's folders have been read

QIcon PlaceIcon(const QFileIconProvider& icons, TDiskPlace::Kind kind, const QString& path) {
    switch (kind) {
    case TDiskPlace::Root:
        return icons.icon(QFileIconProvider::Computer);
    case TDiskPlace::Home:
        return icons.icon(QFileInfo(path));
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
    return item;
}

bool Under(const QString& path, const QString& folder) {
    return path == folder ||
           path.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}
} // namespace

TFolderTreeModel::TFolderTreeModel(QObject* parent) : QStandardItemModel(parent) {
    // Hidden on the screen, but read out by screen readers.
    setHorizontalHeaderLabels({QStringLiteral("文件夹")});
}

void TFolderTreeModel::ShowPlaces(const std::vector<TDiskPlace>& places) {
    QStandardItem* top = invisibleRootItem();
    for (int row = top->rowCount() - 1; row >= 0; --row) {
        const QString path = top->child(row)->data(kPathRole).toString();
        bool stays = std::any_of(places.begin(), places.end(),
                                 [&](const TDiskPlace& p) { return p.path == path; });
        if (!stays) top->removeRow(row);
    }
    for (int row = 0; row < int(places.size()); ++row) {
        const TDiskPlace& place = places[size_t(row)];
        int at = row;
        while (at < top->rowCount() && top->child(at)->data(kPathRole).toString() != place.path)
            ++at;
        if (at == top->rowCount()) {
            QStandardItem* node =
                MakeNode(place.path, place.name, PlaceIcon(icons_, place.kind, place.path));
            node->setToolTip(place.path);
            top->insertRow(row, node);
        } else {
            if (at != row) top->insertRow(row, top->takeRow(at));
            top->child(row)->setText(place.name);
        }
    }
}

QString TFolderTreeModel::PathOf(const QModelIndex& index) const {
    return index.isValid() ? index.data(kPathRole).toString() : QString();
}

QModelIndex TFolderTreeModel::IndexOf(const QString& wanted) {
    const QString path = QDir::cleanPath(wanted);
    QStandardItem* node = nullptr;
    QString nodePath;
    for (int row = 0; row < invisibleRootItem()->rowCount(); ++row) {
        QStandardItem* place = invisibleRootItem()->child(row);
        QString placePath = place->data(kPathRole).toString();
        if (Under(path, placePath) && (!node || placePath.size() > nodePath.size())) {
            node = place;
            nodePath = placePath;
        }
    }
    while (node && nodePath != path) {
        if (canFetchMore(node->index())) fetchMore(node->index());
        QStandardItem* next = nullptr;
        for (int row = 0; row < node->rowCount() && !next; ++row) {
            QString childPath = node->child(row)->data(kPathRole).toString();
            if (Under(path, childPath)) {
                next = node->child(row);
                nodePath = childPath;
            }
        }
        node = next;
    }
    return node ? node->index() : QModelIndex();
}

bool TFolderTreeModel::hasChildren(const QModelIndex& parent) const {
    if (canFetchMore(parent)) return true;
    return QStandardItemModel::hasChildren(parent);
}

bool TFolderTreeModel::canFetchMore(const QModelIndex& parent) const {
    return parent.isValid() && !parent.data(kReadRole).toBool();
}

void TFolderTreeModel::fetchMore(const QModelIndex& parent) {
    QStandardItem* node = itemFromIndex(parent);
    if (!node || node->data(kReadRole).toBool()) return;
    node->setData(true, kReadRole);
    const QString path = node->data(kPathRole).toString();
    const QDir dir(path);
    const QIcon folder = icons_.icon(QFileIconProvider::Folder);
    QList<QStandardItem*> children;
    for (const QString& name :
         dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        children << MakeNode(dir.filePath(name), name, folder);
    node->appendRows(children);
}

void TFolderTreeModel::RefreshWhenOpened(QWidget* view) {
    view->installEventFilter(this);
}

bool TFolderTreeModel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::FocusIn) ShowPlaces(DiskPlaces());
    return QStandardItemModel::eventFilter(watched, event);
}
