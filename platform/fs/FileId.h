// The identity of a file or folder on disk: its device and inode, whatever path led to it.
#pragma once

#include <cstdint>
#include <functional>
#include <sys/types.h>

struct TFileId {
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator==(const TFileId&) const = default;
};

struct TFileIdHash {
    size_t operator()(const TFileId& id) const {
        return std::hash<uint64_t>()(uint64_t(id.dev) * 0x9E3779B97F4A7C15ull ^ uint64_t(id.ino));
    }
};
