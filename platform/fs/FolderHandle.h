// A folder opened only to name entries relative to it: a call made through it reaches the
// folder itself, whatever later happens to the text of its path.
#pragma once

#include "platform/fs/FileCalls.h"

#include <optional>
#include <string>

class FolderHandle {
public:
    explicit FolderHandle(const RealPath& folder);
    ~FolderHandle();
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    bool Opened() const { return fd_ >= 0; }
    // For the calls of platform/fs made relative to the folder.
    int Descriptor() const { return fd_; }
    // What the entry `name` of the folder is, links followed; none when refused (errno).
    std::optional<FileStatus> StatusOf(const std::string& name) const;
    // Moves the entry `name` (a file, or a folder when `isFolder`) to `toName` in `to`,
    // never replacing an existing entry; false when the name is taken or the system refused.
    bool MoveWithoutReplacing(const std::string& name, const FolderHandle& to,
                              const std::string& toName, bool isFolder) const;

private:
    int fd_;
};
