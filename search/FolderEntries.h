// One folder listing of the search walk, as a worker thread reads it.
#pragma once

#include "platform/fs/FolderReader.h"

#include <string>
#include <vector>

// The folder's listing (ListFolder) without the mount points of the kernel's own file
// systems. Links are not looked up here: a link into a share that does not answer must cost
// the walk that entry alone (ResolveLinkEntry looks it up as a call of its own).
std::vector<TFolderEntry> ReadFolderEntries(const std::string& real, dev_t device, ino_t inode);

// What the link at `real` leads to as an entry of its folder's listing would be (LinkTargetOf);
// none when it dangles, leads to an entry a listing leaves out or to a kernel file system.
std::vector<TFolderEntry> ResolveLinkEntry(const std::string& real);

// The device of the mount that the link at `real` leads into, found from its text and the
// mount table (readlink and lstat only, on mounts that the link's own path crosses); 0 when
// unknown. A lookup of the link is charged to it.
dev_t LinkTargetDevice(const std::string& real);

// Whether the device is one of the kernel's own file systems (processes, devices, control
// groups and the like), which hold no user files: a walk that reaches one at a mount point,
// as a search of "/" does, does not enter it. Told by the mount table, not by the disk.
bool IsKernelFileSystem(dev_t device);
