#include "platform/fs/FolderReader.h"

#include <climits>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// Opens the folder at an absolute real path of any length: a path longer than the system's
// limit is opened piece by piece, each piece below the folder opened before it.
int OpenFolder(const std::string& real) {
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    if (real.size() < PATH_MAX) return open(real.c_str(), kFlags);
    int at = AT_FDCWD;
    size_t pos = 0;
    while (pos < real.size()) {
        size_t end = real.size();
        if (end - pos >= PATH_MAX) {
            end = real.rfind('/', pos + PATH_MAX - 1);
            if (end == std::string::npos || end <= pos) end = real.find('/', pos + 1);
            if (end == std::string::npos) end = real.size();
        }
        const std::string piece = real.substr(pos, end - pos);
        const int fd = openat(at, piece.empty() ? "/" : piece.c_str(), kFlags);
        if (at != AT_FDCWD) close(at);
        if (fd < 0) return -1;
        at = fd;
        pos = end + (end < real.size() && real[end] == '/');
    }
    return at;
}

// The entry as a listing takes it, from what statx told of what the name leads to.
std::optional<TFolderEntry> EntryOf(std::string_view name, const struct statx& st) {
    if (S_ISREG(st.stx_mode))
        return TFolderEntry{std::string(name), TFolderEntry::Kind::File, 0, 0};
    if (S_ISDIR(st.stx_mode) && !name.starts_with('.'))
        return TFolderEntry{std::string(name), TFolderEntry::Kind::Folder,
                            makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino};
    return std::nullopt;
}

} // namespace

std::vector<TFolderEntry> ListFolder(const std::string& real, dev_t device, ino_t inode) {
    std::vector<TFolderEntry> entries;
    const int fd = OpenFolder(real);
    if (fd < 0) return entries;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return entries;
    }
    struct stat self;
    if (fstat(fd, &self) != 0 || self.st_dev != device || self.st_ino != inode) {
        closedir(dir);
        return entries;
    }
    while (dirent* e = readdir(dir)) {
        std::string_view name = e->d_name;
        if (name == "." || name == "..") continue;
        if (e->d_type == DT_REG) {
            entries.push_back({std::string(name), TFolderEntry::Kind::File, 0, 0});
            continue;
        }
        if (e->d_type == DT_LNK) {
            entries.push_back({std::string(name), TFolderEntry::Kind::Link, device, e->d_ino});
            continue;
        }
        if (e->d_type != DT_DIR && e->d_type != DT_UNKNOWN) continue;
        if (e->d_type == DT_DIR && name.front() == '.') continue;
        struct statx st;
        if (statx(fd, e->d_name, AT_STATX_DONT_SYNC | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                  STATX_TYPE | STATX_INO, &st) != 0)
            continue;
        if (S_ISLNK(st.stx_mode))
            entries.push_back({std::string(name), TFolderEntry::Kind::Link, device, st.stx_ino});
        else if (auto entry = EntryOf(name, st))
            entries.push_back(std::move(*entry));
    }
    closedir(dir);
    return entries;
}

std::optional<TLinkTarget> LinkTargetOf(const std::string& real) {
    const size_t slash = real.rfind('/');
    const std::string folder = slash == 0 ? "/" : real.substr(0, slash);
    const int fd = OpenFolder(folder);
    if (fd < 0) return std::nullopt;
    std::optional<TLinkTarget> target;
    struct statx st;
    struct stat self;
    if (statx(fd, real.c_str() + slash + 1, AT_STATX_DONT_SYNC | AT_NO_AUTOMOUNT,
              STATX_TYPE | STATX_INO, &st) == 0 &&
        fstat(fd, &self) == 0)
        if (auto entry = EntryOf(real.substr(slash + 1), st))
            target = TLinkTarget{std::move(*entry), self.st_dev};
    close(fd);
    return target;
}
