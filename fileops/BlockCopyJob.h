// The disk side of one block copy: every file-system call of the copy, made on the command's
// worker thread, so that a share that stops answering mid-file holds the worker and not the
// window. The UI thread follows it through Seen/WaitSeen and decides at the end whether the
// copy takes the target's name (Commit) or goes (Cancel, Discard).
#pragma once

#include "fileops/BlockCopyFile.h"
#include "platform/fs/FileCalls.h"
#include "platform/threads/DeadlineWorker.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

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
    };

    // `sourcePlace` and `targetPlace` are the places (mounts) that calls on either file are
    // charged to.
    TBlockCopyJob(TCopyFiles files, CopyDurability durability, std::string sourcePlace,
                  std::string targetPlace);
    ~TBlockCopyJob();
    TBlockCopyJob(const TBlockCopyJob&) = delete;
    TBlockCopyJob& operator=(const TBlockCopyJob&) = delete;

    // On the worker: runs the step with its calls timed by the worker's clock.
    void Run(TDeadlineWorker::Clock& clock, void (TBlockCopyJob::*step)());
    // On the worker. Copy opens both files and copies every block, until the end, a failure
    // or Cancel; a copy cancelled or failed removes its partial file itself.
    void Copy();
    // On the worker, after Copy ended with `copied`: the copy takes the target's name.
    void Commit();
    // On the worker: closes and removes the partial copy; nothing when it is gone already.
    void Discard();

    // Any thread: Copy stops before its next block. True when Copy has ended already, so
    // that the partial copy waits for a Discard.
    bool Cancel();
    // The state once `reached` holds, or as it is after `patience` (the UI thread then waits
    // with events handled).
    State WaitSeen(const std::function<bool(const State&)>& reached,
                   std::chrono::milliseconds patience);

private:
    // A call that may wait on a disk starts now, with the deadline for moving `bytes`.
    void Begin(Side side, uint64_t bytes = 0);
    template <class Change> void Publish(Change change);
    bool Cancelled();
    void Fail();

    const TCopyFiles files_;
    const CopyDurability durability_;
    const std::string sourcePlace_, targetPlace_;
    TDeadlineWorker::Clock* clock_ = nullptr; // while a step runs
    std::string partial_;                     // the hidden file the blocks go to
    int from_ = -1, to_ = -1;
    std::optional<FileStatus> created_; // what the partial file was when created

    std::mutex mutex_;
    std::condition_variable changed_;
    State state_;
    bool cancelled_ = false;
};
