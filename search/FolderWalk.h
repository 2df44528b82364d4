// Phase 1 of the search: the walk that fills lstDirectory. Hidden folders (names beginning
// with ".") are neither listed nor entered; folders that cannot be read yield nothing. A
// linked folder is followed, but no folder (device and inode) is entered twice, so links
// that loop end the walk all the same; the kernel's own file systems are not entered.
// Pending window events are processed after the entries, at most every 10 ms, and
// BreakFlag ends the walk.
#pragma once

#include "search/SearchLists.h"

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <unordered_set>
#include <vector>

class IShell;

// Whether the real folder lies on one of the kernel's own file systems (processes, devices,
// control groups and the like), which hold no user files: a walk that reaches one at a
// mount point, as a search of "/" does, does not enter it.
bool IsKernelFileSystem(const std::string& real);

class TFolderWalk {
public:
    TFolderWalk(std::vector<TSearchFolder>& list, IShell& shell);

    // Appends the search location to the list, then CollectSubDirs on every folder that
    // fits it (case variants of one register path are all searched).
    void WalkLocation(const std::string& location);

private:
    struct FolderId {
        dev_t dev;
        ino_t ino;
        bool operator==(const FolderId&) const = default;
    };
    struct FolderIdHash {
        size_t operator()(const FolderId& id) const { return size_t(id.ino) * 31 + id.dev; }
    };

    // Reads the folder list_[index] (real path `real`, the folder `id` when it was listed):
    // keeps its file names in the record and appends every sub-folder below it to the list,
    // depth first.
    void CollectSubDirs(size_t index, const std::string& real, FolderId id);
    void PumpEvents();

    std::vector<TSearchFolder>& list_;
    IShell& shell_;
    std::unordered_set<FolderId, FolderIdHash> entered_;
    int64_t pumpInterval_;
    int64_t lastPump_;
};
