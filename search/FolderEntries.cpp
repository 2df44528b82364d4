#include "search/FolderEntries.h"

#include "platform/disks/MountTable.h"
#include "platform/disks/ReachedPath.h"

#include <set>

std::vector<TFolderEntry> ReadFolderEntries(const std::string& real, dev_t device, ino_t inode) {
    std::vector<TFolderEntry> entries = ListFolder(real, device, inode);
    // Only a mount point can lead to another file system.
    std::erase_if(entries, [device](const TFolderEntry& e) {
        return e.kind == TFolderEntry::Kind::Folder && e.dev != device && IsKernelFileSystem(e.dev);
    });
    return entries;
}

std::vector<TFolderEntry> ResolveLinkEntry(const std::string& real) {
    std::optional<TLinkTarget> target = LinkTargetOf(real);
    if (!target ||
        (target->entry.kind == TFolderEntry::Kind::Folder &&
         target->entry.dev != target->linkFolderDevice && IsKernelFileSystem(target->entry.dev)))
        return {};
    return {std::move(target->entry)};
}

bool IsKernelFileSystem(dev_t device) {
    static const std::set<std::string, std::less<>> kernel = {
        "proc",    "sysfs",      "cgroup", "cgroup2", "debugfs",
        "tracefs", "securityfs", "bpf",    "pstore",  "devpts"};
    return kernel.contains(FileSystemOfDevice(ReadMountTable(), device));
}

dev_t LinkTargetDevice(const std::string& real) {
    const std::vector<TMountPoint> mounts = ReadMountTable();
    const std::string reached = ReachedPath(real, mounts, AnswersLocally);
    const TMountPoint* mount = MountOfRealPath(mounts, reached);
    return mount ? mount->device : 0;
}
