// One folder listing of the search walk, as a worker thread reads it.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct TFolderEntry {
    enum class Kind { File, Folder, Link };
    std::string name; // as on disk
    Kind kind;
    dev_t dev; // folders: theirs; links: the listed folder's
    ino_t ino; // folders: theirs; links: the link's own
};

// The entries of a folder worth looking at, in the order the file system returns them:
// regular files (hidden ones included), folders that are not hidden, and links, whose
// targets are not looked up here (a link into a share that does not answer must cost the
// walk that entry alone: ResolveLinkEntry looks it up as a call of its own). Nothing is
// followed or mounted by the listing (no automount point is triggered). A name that no longer
// leads to the folder that was listed (device and inode), because the folder was removed,
// replaced or swapped for a link meanwhile, yields nothing: the checks made on the listed
// folder (kernel file systems, folders entered once) hold only for it. A folder deeper than
// the system's path limit is opened below an open ancestor.
std::vector<TFolderEntry> ReadFolderEntries(const std::string& real, dev_t device, ino_t inode);

// What the link at `real` leads to, as an entry of the listing would be (hidden folders
// are left out as in a listing): none when it dangles or leads to neither a regular file nor a
// folder.
std::vector<TFolderEntry> ResolveLinkEntry(const std::string& real);

// The device of the mount that the link at `real` leads into, found from its text and the
// mount table (readlink and lstat only, on mounts that the link's own path crosses); 0 when
// unknown. A lookup of the link is charged to it.
dev_t LinkTargetDevice(const std::string& real);

// Whether the device is one of the kernel's own file systems (processes, devices, control
// groups and the like), which hold no user files: a walk that reaches one at a mount point,
// as a search of "/" does, does not enter it. Told by the mount table, not by the disk.
bool IsKernelFileSystem(dev_t device);
