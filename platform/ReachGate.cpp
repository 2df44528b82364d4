#include "platform/ReachGate.h"

#include "platform/ReachedPath.h"

namespace {

thread_local TReachGate* current = nullptr;

// Resolved folders kept for one gate: the rows of a command mostly share a few folders, and
// a worker abandoned in a call keeps no more than these.
constexpr size_t kRememberedFolders = 4096;

} // namespace

TReachGate::TReachGate(const std::vector<TMountPoint>& mounts,
                       std::function<bool(const TMountPoint&)> enter)
    : mounts_(mounts), enter_(std::move(enter)), outer_(current) {
    allowed_ = [this](const TMountPoint& m) {
        if (enter_(m)) return true;
        refused_ = true;
        return false;
    };
    current = this;
}

TReachGate::~TReachGate() {
    current = outer_;
}

TReachGate* TReachGate::Current() {
    return current;
}

const std::string& TReachGate::Reached(const std::string& folder) {
    if (auto it = folders_.find(folder); it != folders_.end()) return it->second;
    const size_t slash = folder.rfind('/');
    std::string reached =
        slash == 0 || slash == std::string::npos
            ? ReachedPath(folder, mounts_, allowed_)
            : ReachedPath(Reached(folder.substr(0, slash)),
                          std::string_view(folder).substr(slash + 1), mounts_, allowed_);
    if (refused_) throw ENoAnswer{};
    if (folders_.size() >= kRememberedFolders) folders_.clear();
    return folders_.emplace(folder, std::move(reached)).first->second;
}

void TReachGate::Reach(const std::string& real) {
    if (!real.starts_with('/')) return;
    std::string path = real;
    while (path.size() > 1 && path.ends_with('/'))
        path.pop_back();
    refused_ = false;
    const size_t slash = path.rfind('/');
    const std::string reached =
        path == "/" ? path
                    : ReachedPath(Reached(slash == 0 ? "/" : path.substr(0, slash)),
                                  std::string_view(path).substr(slash + 1), mounts_, allowed_);
    const TMountPoint* mount = MountOfRealPath(mounts_, reached);
    if (refused_ || (mount && !enter_(*mount))) throw ENoAnswer{};
}
