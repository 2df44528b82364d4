// One folder listing of the search walk, as a worker thread reads it.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct TFolderEntry {
    std::string name; // as on disk
    bool folder;
    dev_t dev; // folders only
    ino_t ino;
};

// The entries of a folder worth looking at, in the order the file system returns them:
// regular files (also through links, hidden ones included) and folders that are not hidden.
// A name that no longer leads to the folder that was listed (device and inode), because the
// folder was removed, replaced or swapped for a link meanwhile, yields nothing: the checks
// made on the listed folder (kernel file systems, folders entered once) hold only for it.
std::vector<TFolderEntry> ReadFolderEntries(const std::string& real, dev_t device, ino_t inode);

// Whether the device is one of the kernel's own file systems (processes, devices, control
// groups and the like), which hold no user files: a walk that reaches one at a mount point,
// as a search of "/" does, does not enter it. Told by the mount table, not by the disk.
bool IsKernelFileSystem(dev_t device);
