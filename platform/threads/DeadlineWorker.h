// The one way the program makes a call that may never return (a file-system call into a share
// that stopped answering, a media graph's change of state): the call runs on a detached
// worker, the UI thread waits for it with window events handled, and a call that runs past its
// deadline is abandoned with the worker it is stuck in, charged to the place it waits on (a
// mount). Later calls get a new worker; what the abandoned one still returns is dropped.
#pragma once

#include "platform/threads/EventWait.h"

#include <QEventLoop>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// How long one call may take before its place counts as not answering: long enough for a
// sleeping disk to spin up (5 to 10 s) and a share to come back from a short network drop.
constexpr int kDiskDeadlineMs = 15000;
int DiskDeadlineMs();
void SetDiskDeadlineMs(int ms); // tests shorten it
// A call that moves `bytes` (a block write, an fsync) may take longer: the disk deadline plus
// the bytes at 10 MB/s, the pace of a slow share.
int DeadlineForBytesMs(uint64_t bytes);

class TDeadlineWorker {
public:
    // What a call on the worker sees of its worker. Shared with the thread, so it outlives
    // the TDeadlineWorker; every member may be called from the worker only.
    class Clock {
    public:
        // The call in hand starts now, charged to `place`; its deadline counts from now.
        // False when the worker was abandoned: make no call.
        bool Begin(std::string place, int deadlineMs = 0);
        // The call in hand now waits on `place` (a link followed into a share); false when the
        // worker was abandoned.
        bool Charge(std::string place);
        // The call made progress (a block written): its deadline counts again from now.
        void Progressed();
        // The call in hand returned: `commit` runs under the worker's lock, unless the worker
        // was abandoned (then false: the result is dropped). `wake` wakes the waiting UI
        // thread (a batch of quick calls wakes it now and then, not for each).
        bool Finish(const std::function<void()>& commit = {}, bool wake = true);
        // Runs `read` under the worker's lock unless the worker was abandoned (then false):
        // a call reads its input so, as the UI thread writes it only between runs.
        bool Under(const std::function<void()>& read) const;

    private:
        friend class TDeadlineWorker;
        struct State;
        std::shared_ptr<State> state_;
    };

    TDeadlineWorker();
    // Abandons the thread: the call in hand runs on, the calls queued behind it run told by
    // Begin that they make no call.
    ~TDeadlineWorker();
    TDeadlineWorker(const TDeadlineWorker&) = delete;
    TDeadlineWorker& operator=(const TDeadlineWorker&) = delete;

    // Runs call(clock) on the worker after the calls posted before it. `call` must own what
    // it touches (captures by value or shared pointers): it may outlive the poster.
    void Post(std::function<void(Clock&)> call);
    // Waits until done() holds (asked under the worker's lock, so what Finish committed is
    // seen), the call in hand runs past its deadline (Deadline), or `stop` holds (Stopped).
    // For the first `quietMs` no event is handled: a call that does not wait on a disk returns
    // within milliseconds, and what the window shows keeps its order. Without `deadline` the
    // wait lasts until the call returns or `stop` holds (a change that must not be given up).
    // `looked` runs after each look, outside the lock (progress shown).
    WaitEnd Wait(const std::function<bool()>& done, const std::function<bool()>& stop,
                 QEventLoop::ProcessEventsFlags flags, int quietMs = 2, bool deadline = true,
                 const std::function<void()>& looked = {});
    // Whether the call in hand has run past its deadline; the place it was charged to last.
    bool Overdue() const;
    std::string StuckPlace() const;
    // Leaves the thread to the call it is stuck in; later posts get a new thread.
    void Abandon();

private:
    void StartThread(); // at the first post after a start or an abandon
    void Drop();
    std::shared_ptr<Clock::State> state_;
    Clock clock_;
    bool threadStarted_ = false;
};
