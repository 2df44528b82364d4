#include "platform/disks/DiskLabels.h"

#include "platform/disks/MountTable.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The device a path names, links followed ("/dev/disk/by-label/x" and "/dev/mapper/x"
// both lead to "/dev/dm-0"); "" when it does not exist.
std::string DeviceOf(const std::string& path) {
    char real[PATH_MAX];
    return realpath(path.c_str(), real) ? std::string(real) : std::string();
}

} // namespace

std::string DecodeUdevEscapes(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            HexDigit(name[i + 2]) >= 0 && HexDigit(name[i + 3]) >= 0) {
            out += char(HexDigit(name[i + 2]) * 16 + HexDigit(name[i + 3]));
            i += 3;
        } else {
            out += name[i];
        }
    }
    return out;
}

std::map<std::string, QString> ReadDiskLabels(const std::vector<TMountPoint>& mounts,
                                              const char* labelFolder) {
    std::map<std::string, QString> byDevice;
    if (DIR* dir = opendir(labelFolder)) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            const std::string device =
                DeviceOf(std::string(labelFolder) + '/' + std::string(entry->d_name));
            if (!device.empty())
                byDevice[device] = QString::fromUtf8(DecodeUdevEscapes(entry->d_name));
        }
        closedir(dir);
    }
    std::map<std::string, QString> labels;
    if (byDevice.empty()) return labels;
    for (const TMountPoint& m : mounts) {
        if (!m.source.starts_with("/dev/")) continue;
        auto it = byDevice.find(DeviceOf(m.source));
        if (it != byDevice.end()) labels[m.source] = it->second;
    }
    return labels;
}
