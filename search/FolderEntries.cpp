#include "search/FolderEntries.h"

#include "platform/MountTable.h"

#include <set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

std::vector<TFolderEntry> ReadFolderEntries(const std::string& real, dev_t device, ino_t inode) {
    std::vector<TFolderEntry> entries;
    DIR* dir = opendir(real.c_str());
    if (!dir) return entries;
    struct stat self;
    if (fstat(dirfd(dir), &self) != 0 || self.st_dev != device || self.st_ino != inode) {
        closedir(dir);
        return entries;
    }
    while (dirent* e = readdir(dir)) {
        std::string_view name = e->d_name;
        if (name == "." || name == "..") continue;
        bool hidden = name.front() == '.';
        if (e->d_type == DT_REG) {
            entries.push_back({std::string(name), false, 0, 0});
            continue;
        }
        if (e->d_type != DT_DIR && e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) continue;
        if (e->d_type == DT_DIR && hidden) continue;
        // Type, device and inode as the kernel holds them, without asking the file system
        // again: a share mounted on this folder that does not answer is found out when its
        // own listing is read, not here.
        struct statx st;
        if (statx(dirfd(dir), e->d_name, AT_STATX_DONT_SYNC, STATX_TYPE | STATX_INO, &st) != 0)
            continue; // a dangling link
        const dev_t dev = makedev(st.stx_dev_major, st.stx_dev_minor);
        if (S_ISDIR(st.stx_mode) && !hidden) {
            // Only a mount point can lead to another file system.
            if (dev != device && IsKernelFileSystem(dev)) continue;
            entries.push_back({std::string(name), true, dev, st.stx_ino});
        } else if (S_ISREG(st.stx_mode))
            entries.push_back({std::string(name), false, 0, 0});
    }
    closedir(dir);
    return entries;
}

bool IsKernelFileSystem(dev_t device) {
    static const std::set<std::string, std::less<>> kernel = {
        "proc",    "sysfs",      "cgroup", "cgroup2", "debugfs",
        "tracefs", "securityfs", "bpf",    "pstore",  "devpts"};
    return kernel.contains(FileSystemOfDevice(ReadMountTable(), device));
}
