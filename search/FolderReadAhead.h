// The folder listings of a search walk, read on worker threads several folders ahead of it.
// Each listing names the sub-folders the walk will meet, so workers go on with those at
// once, always taking first the folder that comes first in walk order (and, before any
// other, the one the walk waits for). Every folder (device and inode) is read once. The walk
// takes the listings in its own order, so what it shows is the same as with one read in
// flight. A read that has not answered within the disk deadline leaves its worker abandoned
// (a new one takes its place) and its device counted as not answering for the rest of the
// walk: later folders on it are not read.
#pragma once

#include "search/FolderEntries.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TDetachedWorker;

class TFolderReadAhead {
public:
    // A folder's position in walk order: the positions of its folder and those above it in
    // their parents' listings, compared item by item.
    using Key = std::vector<uint32_t>;
    enum class Answer { Listed, NotAnswering, Stopped };

    // With one read in flight a folder is read when the walk comes to it, as a walk that
    // reads for itself does.
    explicit TFolderReadAhead(unsigned readsInFlight);
    // The workers end after the call in hand; nothing waits for them.
    ~TFolderReadAhead();
    TFolderReadAhead(const TFolderReadAhead&) = delete;
    TFolderReadAhead& operator=(const TFolderReadAhead&) = delete;

    // The listing of the folder (device, inode) reached at `real`, at `key` in walk order
    // (UI thread). Waits with window events processed until it is read, its device does
    // not answer, or `stop` holds. With `link`, the entry that the link at `real` (a Link
    // entry's device and inode) leads to, none or one, is taken instead.
    Answer Take(const std::string& real, dev_t dev, ino_t ino, const Key& key,
                std::vector<TFolderEntry>& entries, const std::function<bool()>& stop,
                bool link = false);

private:
    struct State;
    void StartWorker();
    // Abandons the workers stuck past the deadline; their devices stop answering.
    void AbandonOverdue();

    std::shared_ptr<State> state_;
    std::vector<std::unique_ptr<TDetachedWorker>> workers_;
};
