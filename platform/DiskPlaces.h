// The places a user starts from when picking folders: the root file system, the home folder
// and every mounted disk or network share, each by the name a user knows it by.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// One mounted file system, as the system lists it.
struct TMount {
    QString rootPath;  // the mount point
    QByteArray fsType; // "ext4", "nfs4", "fuse.sshfs", ...
    QByteArray device; // "/dev/sdb1", "server:/export", ...
    QString label;     // the volume's name, "" when it has none
};

struct TDiskPlace {
    enum Kind { Root, Home, Disk, Network };
    QString path; // the real path
    QString name; // what the user sees
    Kind kind;
};

// The root file system, the home folder, then the disks and network places among mounts in
// their order, each device once; mounts of the system (pseudo file systems, system folders,
// snap packages) are left out. A gvfs mount stands for the network places inside it.
std::vector<TDiskPlace> DiskPlaces(const std::vector<TMount>& mounts, const QString& home);

// The same for what is mounted now.
std::vector<TDiskPlace> DiskPlaces();
