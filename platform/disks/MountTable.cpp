#include "platform/disks/MountTable.h"

#include "platform/text/GbText.h"

#include <charconv>
#include <fcntl.h>
#include <fstream>
#include <set>
#include <string>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// "\040" is a blank, "\011" a tab, "\012" a line feed, "\134" a backslash.
std::string DecodeOctalEscapes(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        auto octal = [&](size_t at) { return field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) &&
            octal(i + 3)) {
            out +=
                char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        size_t end = line.find(' ', pos);
        if (end == std::string_view::npos) end = line.size();
        if (end > pos) fields.push_back(line.substr(pos, end - pos));
        pos = end + 1;
    }
    return fields;
}

// The register form of a real path: each component as GB18030 text, upper-cased.
std::string RegisterForm(std::string_view real) {
    std::string gb;
    size_t pos = 0;
    while (pos <= real.size()) {
        size_t slash = real.find('/', pos);
        if (slash == std::string_view::npos) slash = real.size();
        gb += UpperCase(DiskNameToGb(real.substr(pos, slash - pos)));
        if (slash < real.size()) gb += '/';
        pos = slash + 1;
    }
    return gb;
}

} // namespace

std::vector<TMountPoint> ParseMountInfo(std::string_view text) {
    std::vector<TMountPoint> mounts;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::vector<std::string_view> f = Fields(text.substr(pos, end - pos));
        pos = end + 1;
        // id parent major:minor root mount-point options [optional...] - type source super
        size_t dash = 6;
        while (dash < f.size() && f[dash] != "-")
            ++dash;
        if (f.size() < 5 || dash + 1 >= f.size()) continue;
        TMountPoint m;
        m.path = DecodeOctalEscapes(f[4]);
        m.fsType = DecodeOctalEscapes(f[dash + 1]);
        if (dash + 2 < f.size()) m.source = DecodeOctalEscapes(f[dash + 2]);
        m.registerForm = RegisterForm(m.path);
        const std::string_view numbers = f[2];
        unsigned major = 0, minor = 0;
        const size_t colon = numbers.find(':');
        if (colon != std::string_view::npos) {
            std::from_chars(numbers.data(), numbers.data() + colon, major);
            std::from_chars(numbers.data() + colon + 1, numbers.data() + numbers.size(), minor);
            m.device = makedev(major, minor);
        }
        mounts.push_back(std::move(m));
    }
    return mounts;
}

std::vector<TMountPoint> ReadMountTable() {
    int fd = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::vector<TMountPoint> mounts = ReadMountTable(fd);
    close(fd);
    return mounts;
}

std::vector<TMountPoint> ReadMountTable(int fd) {
    // procfs gives the table in one pass of reads; its size is not known beforehand.
    std::string text;
    char buffer[65536];
    off_t at = 0;
    for (ssize_t n; (n = pread(fd, buffer, sizeof buffer, at)) > 0; at += n)
        text.append(buffer, size_t(n));
    return ParseMountInfo(text);
}

std::string FileSystemOfDevice(const std::vector<TMountPoint>& mounts, dev_t device) {
    for (const TMountPoint& m : mounts)
        if (m.device == device) return m.fsType;
    return {};
}

bool IsNetworkFileSystem(std::string_view type) {
    static const std::set<std::string, std::less<>> network = {
        "nfs",   "nfs4",        "cifs",        "smb3", "smbfs", "fuse.sshfs", "sshfs",
        "davfs", "fuse.davfs2", "fuse.rclone", "9p",   "afs",   "autofs"};
    return network.contains(type);
}

bool ReachedByRoundTrips(std::string_view type) {
    return IsNetworkFileSystem(type) || type.starts_with("fuse.");
}

// The kernel lists a disk's queue beside the disk, and a partition inside its disk's folder.
bool OnRotatingDisk(const TMountPoint& mount) {
    const std::string device = "/sys/dev/block/" + std::to_string(major(mount.device)) + ":" +
                               std::to_string(minor(mount.device));
    for (const char* queue : {"/queue/rotational", "/../queue/rotational"}) {
        std::ifstream flag(device + queue);
        int rotational = 0;
        if (flag >> rotational) return rotational == 1;
    }
    return false;
}

namespace {

// The mount whose point, as `pointOf` spells it, is the longest that prefixes the path.
template <class PointOf>
const TMountPoint* LongestMountPrefix(const std::vector<TMountPoint>& mounts, std::string_view path,
                                      PointOf pointOf) {
    const TMountPoint* best = nullptr;
    size_t bestLength = 0;
    for (const TMountPoint& m : mounts) {
        const std::string& form = pointOf(m);
        const bool fits = form == "/" ? path.starts_with('/')
                                      : path.starts_with(form) && (path.size() == form.size() ||
                                                                   path[form.size()] == '/');
        // The later of two mounts on one point is the one that is seen.
        if (fits && (!best || form.size() >= bestLength)) {
            best = &m;
            bestLength = form.size();
        }
    }
    return best;
}

} // namespace

const TMountPoint* MountOfRegisterPath(const std::vector<TMountPoint>& mounts,
                                       std::string_view gbPath) {
    return LongestMountPrefix(
        mounts, gbPath, [](const TMountPoint& m) -> const std::string& { return m.registerForm; });
}

const TMountPoint* MountOfRealPath(const std::vector<TMountPoint>& mounts,
                                   std::string_view realPath) {
    return LongestMountPrefix(mounts, realPath,
                              [](const TMountPoint& m) -> const std::string& { return m.path; });
}
