#include "platform/disks/ReachedPath.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The components of a path, last first, as a stack of what is left to follow.
void PushComponents(std::string_view path, std::vector<std::string>& left) {
    size_t end = path.size();
    while (end > 0) {
        const size_t slash = path.rfind('/', end - 1);
        const size_t start = slash == std::string_view::npos ? 0 : slash + 1;
        if (end > start) left.emplace_back(path.substr(start, end - start));
        if (slash == std::string_view::npos) break;
        end = slash;
    }
}

std::string Joined(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + '/' + name;
}

bool IsMountPoint(const std::vector<TMountPoint>& mounts, const std::string& path) {
    for (const TMountPoint& m : mounts)
        if (m.path == path) return true;
    return false;
}

} // namespace

std::string ReachedPath(std::string_view real, const std::vector<TMountPoint>& mounts,
                        const std::function<bool(const TMountPoint&)>& enter) {
    return ReachedPath("/", real, mounts, enter);
}

std::string ReachedPath(std::string reached, std::string_view rest,
                        const std::vector<TMountPoint>& mounts,
                        const std::function<bool(const TMountPoint&)>& enter) {
    std::vector<std::string> left;
    PushComponents(rest, left);
    int links = 0;
    while (!left.empty()) {
        std::string name = std::move(left.back());
        left.pop_back();
        if (name == ".") continue;
        if (name == "..") {
            const size_t slash = reached.rfind('/');
            reached = slash == 0 ? "/" : reached.substr(0, slash);
            continue;
        }
        std::string next = Joined(reached, name);
        const TMountPoint* mount = MountOfRealPath(mounts, next);
        if (IsMountPoint(mounts, next)) {
            reached = std::move(next); // a mount point leads to a folder
            continue;
        }
        if (!mount || !enter(*mount)) {
            reached = std::move(next);
            while (!left.empty()) {
                reached = Joined(reached, left.back());
                left.pop_back();
            }
            return reached;
        }
        struct stat st;
        char target[PATH_MAX];
        ssize_t length = -1;
        if (lstat(next.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && links < 40)
            length = readlink(next.c_str(), target, sizeof target);
        if (length <= 0) {
            reached = std::move(next);
            continue;
        }
        ++links;
        const std::string_view text(target, size_t(length));
        PushComponents(text, left);
        if (text.starts_with('/')) reached.resize(1); // back to the root "/"
    }
    return reached;
}

bool AnswersLocally(const TMountPoint& mount) {
    return !IsNetworkFileSystem(mount.fsType) && !mount.fsType.starts_with("fuse");
}
