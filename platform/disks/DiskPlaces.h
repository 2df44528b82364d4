// The places a user starts from when picking folders: the root file system, the home folder
// and every mounted disk or network share, each by the name a user knows it by. They come
// from the mount table alone; what only a mounted file system can tell (whether a mount point
// is a folder, which shares a gvfs mount holds) is asked of it elsewhere, off the UI thread,
// and given here as answers.
#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <set>
#include <string>
#include <vector>

struct TMountPoint;

struct TDiskPlace {
    enum Kind { Root, Home, Disk, Network };
    QString path; // the real path
    QString name; // what the user sees
    Kind kind;
    bool askIfFolder = false; // shown until its mount point answers that it is no folder
};

// What the mounted file systems answered so far.
struct TMountAnswers {
    std::set<QString> notFolders;              // mount points that are files
    std::map<QString, QStringList> gvfsShares; // gvfs mount point: the shares inside it
};

// The root file system, the home folder, then the disks and network places among mounts in
// their order, each device once; mounts of the system (pseudo file systems, system folders,
// snap packages) are left out, automount points shown as they are. `labels` are the volume
// names by mount source. A gvfs mount stands for the shares answered inside it.
std::vector<TDiskPlace> DiskPlaces(const std::vector<TMountPoint>& mounts, const QString& home,
                                   const std::map<std::string, QString>& labels,
                                   const TMountAnswers& answers);

// The mount points of gvfs, whose shares only a listing of them tells.
QStringList GvfsMountPoints(const std::vector<TMountPoint>& mounts);
