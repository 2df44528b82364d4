// The disk side of one block copy: every file-system call of the copy, made on the command's
// worker thread, so that a share that stops answering mid-file holds the worker and not the
// window. The UI thread follows it through Seen/WaitSeen and decides at the end whether the
// copy takes the target's name (Commit) or goes (Cancel, Discard).
#pragma once

#include "fileops/BlockCopyFile.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <sys/stat.h>

class TBlockCopyJob {
public:
    // Which file the call in hand waits on: the mount that misses the deadline.
    enum class Side { Source, Target };
    struct State {
        bool opened = false; // both files open, the size known
        uint64_t size = 0;
        uint64_t blocksDone = 0; // whole blocks copied
        bool copied = false;     // every byte written (and flushed when asked for)
        bool finished = false;   // nothing more runs: committed, discarded or refused
        bool committed = false;  // the copy has the target's name
        std::exception_ptr error;
        int64_t callStarted = 0; // counter reading when the call in hand began
        Side side = Side::Source;
    };

    TBlockCopyJob(TCopyFiles files, CopyDurability durability);
    ~TBlockCopyJob();
    TBlockCopyJob(const TBlockCopyJob&) = delete;
    TBlockCopyJob& operator=(const TBlockCopyJob&) = delete;

    // On the worker. Copy opens both files and copies every block, until the end, a failure
    // or Cancel; a copy cancelled or failed removes its partial file itself.
    void Copy();
    // On the worker, after Copy ended with `copied`: the copy takes the target's name.
    void Commit();
    // On the worker: closes and removes the partial copy; nothing when it is gone already.
    void Discard();

    // Any thread: a call is about to be posted to the worker; the deadline counts from now.
    void Queued() { Begin(Side::Target); }
    // Any thread: Copy stops before its next block. True when Copy has ended already, so
    // that the partial copy waits for a Discard.
    bool Cancel();
    // The state once `reached` holds, or as it is after `patience` (the UI thread then waits
    // with events handled).
    State WaitSeen(const std::function<bool(const State&)>& reached,
                   std::chrono::milliseconds patience);

private:
    void Begin(Side side); // a call that may wait on a disk starts now
    template <class Change> void Publish(Change change);
    bool Cancelled();
    void Fail();

    const TCopyFiles files_;
    const CopyDurability durability_;
    std::string partial_; // the hidden file the blocks go to
    int from_ = -1, to_ = -1;
    struct stat created_ {};

    std::mutex mutex_;
    std::condition_variable changed_;
    State state_;
    bool cancelled_ = false;
};
