// Calls on one file or folder by its real path or an open handle: what the system tells of
// it, and the changes made to it. Each is one call to the system; a Windows build has its own.
#pragma once

#include "platform/fs/Paths.h"

#include <cstddef>
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

// From what a stat call of the system filled in (for the calls relative to a folder).
FileStatus StatusFromStat(const struct stat& st);
std::optional<FileStatus> StatusOf(const RealPath& path);     // links followed
std::optional<FileStatus> LinkStatusOf(const RealPath& path); // a link itself
std::optional<FileStatus> StatusOfOpen(int fd);

bool IsFileMode(mode_t mode); // a regular file
bool IsFolderMode(mode_t mode);

// Whether this process may create entries in the folder (its rights, not the file system's
// free room).
bool MayCreateIn(const RealPath& folder);
// Removes the name of a file (not a folder); false when the system refused.
bool RemoveFile(const RealPath& path);
// The bytes free for the user on the file system that holds the path; 0 when unknown.
uint64_t FreeBytesAt(const RealPath& path);
// Renames an entry, replacing what has the new name; false when the system refused.
bool RenameEntry(const RealPath& from, const RealPath& to);
// Opens the file for reading and writing, created or emptied; -1 when refused (errno).
int CreateEmptyFile(const RealPath& path);
// One call each, with errno on failure as the system's own: the bytes moved (0 at the end
// of the file, -1 on failure). CopyInKernel copies from offset to offset without a buffer
// where the file systems allow it.
ptrdiff_t ReadSome(int fd, char* buffer, size_t size);
ptrdiff_t WriteSome(int fd, const char* bytes, size_t size);
ptrdiff_t CopyInKernel(int from, int to, size_t size);
// Waits until the file's bytes are on the disk; false when the disk reported a failure.
bool FlushToDisk(int fd);
// Closes a handle; false when the close reported an error (a share may write at its close).
bool CloseFile(int fd);
