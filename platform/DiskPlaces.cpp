#include "platform/DiskPlaces.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

namespace {

// File systems of the kernel and of the system's services, never a user's disk.
bool IsPseudo(const QByteArray& type) {
    static const QSet<QByteArray> pseudo = {
        "autofs",     "binfmt_misc",   "bpf",        "cgroup",      "cgroup2", "configfs",
        "debugfs",    "devpts",        "devtmpfs",   "efivarfs",    "fusectl", "hugetlbfs",
        "mqueue",     "nsfs",          "overlay",    "proc",        "pstore",  "ramfs",
        "rpc_pipefs", "securityfs",    "selinuxfs",  "squashfs",    "sysfs",   "tmpfs",
        "tracefs",    "fuse.snapfuse", "fuse.lxcfs", "fuse.portal", "nfsd",    "none"};
    return pseudo.contains(type);
}

bool IsNetwork(const QByteArray& type) {
    static const QSet<QByteArray> network = {"nfs",         "nfs4",        "cifs",  "smb3",
                                             "smbfs",       "fuse.sshfs",  "sshfs", "davfs",
                                             "fuse.davfs2", "fuse.rclone", "9p",    "afs"};
    return network.contains(type);
}

bool Under(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// Folders the system mounts things on for itself; removable media under /run/media are the
// user's.
bool IsSystemFolder(const QString& path) {
    static const char* const system[] = {"/boot",
                                         "/dev",
                                         "/proc",
                                         "/sys",
                                         "/snap",
                                         "/run",
                                         "/efi",
                                         "/var/lib/snapd",
                                         "/var/snap",
                                         "/var/lib/docker",
                                         "/var/lib/containers"};
    if (Under(path, QStringLiteral("/run/media"))) return false;
    for (const char* folder : system)
        if (Under(path, QLatin1String(folder))) return true;
    return false;
}

// "smb-share:server=nas,share=movies" -> "movies (nas)"; other names as they are.
QString GvfsName(const QString& folder) {
    int colon = folder.indexOf(QLatin1Char(':'));
    if (colon < 0) return folder;
    QString share, host;
    for (const QString& pair : folder.mid(colon + 1).split(QLatin1Char(','))) {
        const QString key = pair.section(QLatin1Char('='), 0, 0);
        const QString value = pair.section(QLatin1Char('='), 1);
        if (key == QLatin1String("share") || key == QLatin1String("prefix"))
            share = value.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty);
        else if (key == QLatin1String("server") || key == QLatin1String("host"))
            host = value;
    }
    if (host.isEmpty()) return folder;
    return share.isEmpty() ? host : share + QStringLiteral(" (") + host + QLatin1Char(')');
}

} // namespace

std::vector<TDiskPlace> DiskPlaces(const std::vector<TMount>& mounts, const QString& home) {
    std::vector<TDiskPlace> places{
        {QStringLiteral("/"), QStringLiteral("文件系统"), TDiskPlace::Root},
        {home, QStringLiteral("主文件夹"), TDiskPlace::Home}};
    QSet<QString> paths{QStringLiteral("/"), home};
    QSet<QByteArray> devices;
    auto add = [&](const QString& path, const QString& name, TDiskPlace::Kind kind) {
        if (paths.contains(path)) return;
        paths.insert(path);
        places.push_back({path, name, kind});
    };
    for (const TMount& m : mounts) {
        if (m.fsType == "fuse.gvfsd-fuse") {
            const QStringList shares =
                QDir(m.rootPath).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
            for (const QString& share : shares)
                add(m.rootPath + QLatin1Char('/') + share, GvfsName(share), TDiskPlace::Network);
            continue;
        }
        if (m.rootPath == QLatin1String("/") || m.rootPath == home) {
            devices.insert(m.device);
            continue;
        }
        if (IsPseudo(m.fsType) || IsSystemFolder(m.rootPath) || !QFileInfo(m.rootPath).isDir())
            continue;
        // A device mounted again elsewhere (a bind mount) is the same disk.
        if (!m.device.isEmpty() && !IsNetwork(m.fsType) && devices.contains(m.device)) continue;
        devices.insert(m.device);
        QString name = m.label.isEmpty() ? QFileInfo(m.rootPath).fileName() : m.label;
        add(m.rootPath, name, IsNetwork(m.fsType) ? TDiskPlace::Network : TDiskPlace::Disk);
    }
    return places;
}

std::vector<TDiskPlace> DiskPlaces() {
    std::vector<TMount> mounts;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid()) continue;
        mounts.push_back(
            {volume.rootPath(), volume.fileSystemType(), volume.device(), volume.name()});
    }
    return DiskPlaces(mounts, QDir::homePath());
}
