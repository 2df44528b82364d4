#include "platform/disks/ReachGate.h"

#include "platform/disks/ReachedPath.h"

#include <sys/stat.h>

namespace {

thread_local TReachGate* current = nullptr;

// Resolved folders kept for one gate: the rows of a command mostly share a few folders, and
// a worker abandoned in a call keeps no more than these.
constexpr size_t kRememberedFolders = 4096;

} // namespace

TReachGate::TReachGate(const std::vector<TMountPoint>& mounts,
                       std::function<bool(const TMountPoint&)> enter)
    : mounts_(mounts), enter_(std::move(enter)), outer_(current) {
    for (const TMountPoint& m : mounts_)
        points_.insert(m.path);
    allowed_ = [this](const TMountPoint& m) { return Charge(&m); };
    current = this;
}

TReachGate::~TReachGate() {
    current = outer_;
}

TReachGate* TReachGate::Current() {
    return current;
}

void TReachGate::NewCall() {
    charged_ = nullptr;
}

bool TReachGate::Charge(const TMountPoint* mount) {
    if (!mount) return true;
    if (mount != charged_) {
        charged_ = mount;
        answers_ = enter_(*mount);
    }
    if (!answers_) refused_ = true;
    return answers_;
}

const TReachGate::Folder& TReachGate::Reached(const std::string& path) {
    if (auto it = folders_.find(path); it != folders_.end()) return it->second;
    const size_t slash = path.rfind('/');
    Folder entry;
    if (slash == 0 || slash == std::string::npos) {
        entry.reached = ReachedPath(path, mounts_, allowed_);
        entry.mount = MountOfRealPath(mounts_, entry.reached);
    } else {
        const Folder& folder = Reached(path.substr(0, slash));
        const std::string_view leaf = std::string_view(path).substr(slash + 1);
        entry.reached = folder.reached == "/" ? "/" : folder.reached + '/';
        entry.reached += leaf;
        entry.mount = folder.mount;
        // Mostly the entry is no link and no mount point: it lies on its folder's mount.
        struct stat st;
        if (points_.contains(entry.reached) ||
            (Charge(folder.mount) && lstat(entry.reached.c_str(), &st) == 0 &&
             S_ISLNK(st.st_mode))) {
            entry.reached = ReachedPath(folder.reached, leaf, mounts_, allowed_);
            entry.mount = MountOfRealPath(mounts_, entry.reached);
        }
    }
    if (refused_) throw ENoAnswer{};
    if (folders_.size() >= kRememberedFolders) folders_.clear();
    return folders_.emplace(path, std::move(entry)).first->second;
}

void TReachGate::Reach(const std::string& real) {
    if (!real.starts_with('/')) return;
    std::string path = real;
    while (path.size() > 1 && path.ends_with('/'))
        path.pop_back();
    refused_ = false;
    if (!Charge(Reached(path).mount)) throw ENoAnswer{};
}
