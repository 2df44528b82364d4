// Calls on one file or folder by its real path or an open handle: what the system tells of
// it, and the changes made to it. Each is one call to the system; a Windows build has its own.
#pragma once

#include "platform/Paths.h"

#include <cstdint>
#include <optional>

// What the system tells of an entry. On failure the functions give none and errno says why.
struct FileStatus {
    dev_t dev = 0;
    ino_t ino = 0;
    mode_t mode = 0;
    uint64_t size = 0;
    int64_t modifiedNs = 0; // since the epoch
};

std::optional<FileStatus> StatusOf(const RealPath& path); // links followed
std::optional<FileStatus> StatusOfOpen(int fd);

bool IsFileMode(mode_t mode); // a regular file
bool IsFolderMode(mode_t mode);

// Removes the name of a file (not a folder); false when the system refused.
bool RemoveFile(const RealPath& path);
// The bytes free for the user on the file system that holds the path; 0 when unknown.
uint64_t FreeBytesAt(const RealPath& path);
// Closes a handle; false when the close reported an error (a share may write at its close).
bool CloseFile(int fd);
