#include "platform/disks/DiskPlaces.h"

#include "platform/disks/MountTable.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

// File systems of the kernel and of the system's services, never a user's disk. Automount
// points (autofs) are not among them: they stand for the disk or share mounted on demand.
bool IsPseudo(const std::string& type) {
    static const std::set<std::string> pseudo = {
        "binfmt_misc",   "bpf",        "cgroup",      "cgroup2", "configfs",  "debugfs",
        "devpts",        "devtmpfs",   "efivarfs",    "fusectl", "hugetlbfs", "mqueue",
        "nsfs",          "overlay",    "proc",        "pstore",  "ramfs",     "rpc_pipefs",
        "securityfs",    "selinuxfs",  "squashfs",    "sysfs",   "tmpfs",     "tracefs",
        "fuse.snapfuse", "fuse.lxcfs", "fuse.portal", "nfsd",    "none"};
    return pseudo.contains(type);
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

const char kGvfs[] = "fuse.gvfsd-fuse";

} // namespace

std::vector<TDiskPlace> DiskPlaces(const std::vector<TMountPoint>& mounts, const QString& home,
                                   const std::map<std::string, QString>& labels,
                                   const TMountAnswers& answers) {
    std::vector<TDiskPlace> places{
        {QStringLiteral("/"), QStringLiteral("文件系统"), TDiskPlace::Root},
        {home, QStringLiteral("主文件夹"), TDiskPlace::Home}};
    QSet<QString> paths{QStringLiteral("/"), home};
    std::set<std::string> devices;
    auto add = [&](const QString& path, const QString& name, TDiskPlace::Kind kind, bool ask) {
        if (paths.contains(path)) return;
        paths.insert(path);
        places.push_back({path, name, kind, ask});
    };
    for (const TMountPoint& m : mounts) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(m.path));
        if (m.fsType == kGvfs) {
            auto shares = answers.gvfsShares.find(path);
            if (shares == answers.gvfsShares.end()) continue;
            for (const QString& share : shares->second)
                add(path + QLatin1Char('/') + share, GvfsName(share), TDiskPlace::Network, false);
            continue;
        }
        if (path == QLatin1String("/") || path == home) {
            devices.insert(m.source);
            continue;
        }
        if (IsPseudo(m.fsType) || IsSystemFolder(path) || answers.notFolders.contains(path))
            continue;
        // A device mounted again elsewhere (a bind mount) is the same disk.
        const bool network = IsNetworkFileSystem(m.fsType);
        if (!m.source.empty() && !network && devices.contains(m.source)) continue;
        devices.insert(m.source);
        auto label = labels.find(m.source);
        const QString name = label != labels.end() ? label->second : QFileInfo(path).fileName();
        // An automount point is always a folder; asking would mount it.
        add(path, name, network ? TDiskPlace::Network : TDiskPlace::Disk, m.fsType != "autofs");
    }
    return places;
}

QStringList GvfsMountPoints(const std::vector<TMountPoint>& mounts) {
    QStringList points;
    for (const TMountPoint& m : mounts)
        if (m.fsType == kGvfs) points << QFile::decodeName(QByteArray::fromStdString(m.path));
    return points;
}
