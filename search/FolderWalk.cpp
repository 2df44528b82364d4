#include "search/FolderWalk.h"

#include "platform/Clock.h"
#include "platform/GbText.h"
#include "platform/Paths.h"
#include "register/Shell.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace {

struct Entry {
    std::string name;
    bool folder;
    dev_t dev;
    ino_t ino;
};

// The entries of a folder worth looking at, in the order the file system returns them:
// regular files (also through links, hidden ones included) and folders that are not hidden.
// The folder is closed before its sub-folders are walked, so deep trees need one handle.
// A name that no longer leads to the folder that was listed (device and inode), because the
// folder was removed, replaced or swapped for a link meanwhile, yields nothing: the checks
// made on the listed folder (kernel file systems, folders entered once) hold only for it.
std::vector<Entry> ReadEntries(const std::string& real, dev_t device, ino_t inode) {
    std::vector<Entry> entries;
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
        struct stat st;
        if (fstatat(dirfd(dir), e->d_name, &st, 0) != 0) continue; // a dangling link
        if (S_ISDIR(st.st_mode) && !hidden) {
            // Only a mount point can lead to another file system.
            if (st.st_dev != device && IsKernelFileSystem(real + '/' + e->d_name)) continue;
            entries.push_back({std::string(name), true, st.st_dev, st.st_ino});
        } else if (S_ISREG(st.st_mode))
            entries.push_back({std::string(name), false, 0, 0});
    }
    closedir(dir);
    return entries;
}

std::string WithSeparator(const std::string& path) {
    return !path.empty() && path.back() == '/' ? path : path + '/';
}

} // namespace

bool IsKernelFileSystem(const std::string& real) {
    struct statfs fs;
    if (statfs(real.c_str(), &fs) != 0) return false;
    switch (fs.f_type) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case BPF_FS_MAGIC:
    case PSTOREFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
}

TFolderWalk::TFolderWalk(std::vector<TSearchFolder>& list, IShell& shell)
    : list_(list), shell_(shell), pumpInterval_(CounterFrequency() / 100),
      lastPump_(CounterNow() - pumpInterval_) {}

void TFolderWalk::WalkLocation(const std::string& location) {
    list_.emplace_back().path = location;
    const size_t index = list_.size() - 1;
    // The location is a register path; everything below it is named by the file system.
    // Every folder that fits it is searched ("Videos" and "videos" alike), so no file is
    // left out unseen.
    for (const DiskEntry& folder : FindOnDisk(RegisterPath(location))) {
        if (!S_ISDIR(folder.mode) || !entered_.insert({folder.dev, folder.ino}).second) continue;
        CollectSubDirs(index, folder.real.Bytes(), {folder.dev, folder.ino});
    }
}

void TFolderWalk::CollectSubDirs(size_t index, const std::string& real, FolderId id) {
    if (BreakFlag) return;
    std::vector<Entry> entries = ReadEntries(real, id.dev, id.ino);
    const std::string base = WithSeparator(list_[index].path);
    const std::string realBase = WithSeparator(real);
    list_[index].realFolders.emplace_back(list_[index].fileNames.size(), realBase);
    for (Entry& e : entries) {
        if (BreakFlag) break;
        if (!e.folder) {
            list_[index].fileNames.push_back(RegisterFormOfName(e.name));
            list_[index].realNames.push_back(std::move(e.name));
        } else if (entered_.insert({e.dev, e.ino}).second) {
            std::string full = base + RegisterFormOfName(e.name);
            shell_.SetStatusText(1, GbToQString(full));
            list_.emplace_back().path = std::move(full);
            CollectSubDirs(list_.size() - 1, realBase + e.name, {e.dev, e.ino});
        }
        PumpEvents();
    }
}

void TFolderWalk::PumpEvents() {
    int64_t now = CounterNow();
    if (now - lastPump_ < pumpInterval_) return;
    shell_.ProcessEvents();
    lastPump_ = CounterNow();
}
