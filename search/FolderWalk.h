// Phase 1 of the search: the walk that fills lstDirectory. Hidden folders (names beginning
// with ".") are neither listed nor entered; folders that cannot be read yield nothing. A
// linked folder is followed, but no folder (device and inode) is entered twice, so links
// that loop end the walk all the same; the kernel's own file systems are not entered, and a
// location on one is not searched, nor one that is not a full path (each named in the
// history). Pending window events are processed after the entries, at most every 10 ms, and
// BreakFlag ends the walk.
//
// The walk itself makes no file-system call: the locations are looked up and the folders
// read on worker threads (folders several ahead of the walk), and it waits for them with
// window events processed. A folder that has not answered within the disk deadline is named
// in the history, not counted and left out, and nothing more is read from its device.
#pragma once

#include "platform/disks/DiskCalls.h"
#include "platform/fs/FileId.h"
#include "search/EventPace.h"
#include "search/FolderReadAhead.h"
#include "search/SearchLists.h"

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

class IShell;

// Folder reads in flight during a search, chosen by measurement (docs/PERFORMANCE.md): a
// share that answers each call in a millisecond keeps that many busy, a local disk loses
// nothing by them.
constexpr unsigned kSearchReadsInFlight = 16;

class TFolderWalk {
public:
    TFolderWalk(std::vector<TSearchFolder>& list, IShell& shell, unsigned readsInFlight);

    // Appends the search location to the list, then CollectSubDirs on every folder that
    // fits it (case variants of one register path are all searched).
    void WalkLocation(const std::string& location);

private:
    // Keeps the file names of the folder list_[index] (listed as `entries`, real path
    // `real`, at `key` in walk order) in its record and appends every sub-folder below it to
    // the list, depth first.
    void CollectSubDirs(size_t index, std::vector<TFolderEntry> entries, const std::string& real,
                        const TFolderReadAhead::Key& key);
    // The history line for a folder left out: why, then its register path.
    void NotSearched(const char* why, const std::string& gbPath);

    std::vector<TSearchFolder>& list_;
    IShell& shell_;
    std::unordered_set<TFileId, TFileIdHash> entered_;
    TDiskCalls lookups_; // of the locations
    TFolderReadAhead readAhead_;
    uint32_t locations_ = 0;
    TEventPace pace_;
};
