// File-system calls of one command that may wait on a network share or a disk spinning up.
// They run on a detached worker while the UI thread waits with events processed; a call that
// has not answered within the deadline marks its mount as not answering for the rest of the
// command, its worker is abandoned, and later paths on that mount (matched by the mount
// table, without a call) get no answer at once. Nothing here holds a lock across a call.
#pragma once

#include "platform/Clock.h"
#include "platform/DetachedWorker.h"
#include "platform/EventWait.h"
#include "platform/MountTable.h"

#include <QEventLoop>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// How long one call may take before its mount counts as not answering: long enough for a
// sleeping disk to spin up (5 to 10 s) and a share to come back from a short network drop.
constexpr int kDiskDeadlineMs = 15000;
int DiskDeadlineMs();
void SetDiskDeadlineMs(int ms); // tests shorten it

class TDiskCalls {
public:
    // `notAnswering` runs on the UI thread once per mount that misses the deadline (the
    // command's history line); `stop` ends a wait at once (a break or a close); `flags` are
    // the events let through while waiting.
    TDiskCalls(std::function<void(const TMountPoint&)> notAnswering, std::function<bool()> stop,
               QEventLoop::ProcessEventsFlags flags = QEventLoop::ExcludeUserInputEvents);
    TDiskCalls(const TDiskCalls&) = delete;
    TDiskCalls& operator=(const TDiskCalls&) = delete;

    // Whether the mount that holds the register path still answers in this command; no call.
    bool Answering(std::string_view gbPath) const;
    // Whether a wait ended on `stop`: the command ends without acting on what is left.
    bool Stopped() const { return stopped_; }
    // Counts the mount that holds the register path as not answering from now on (a call
    // made elsewhere, such as a read ahead, missed the deadline on it).
    void MarkNotAnswering(std::string_view gbPath);

    // fn(path) for each register path, in order, on the worker; an item has no answer when
    // its mount does not answer or the wait stopped. `progress(done)` runs on the UI thread
    // now and then. `fn` must own what it touches: it may outlive the command.
    template <class R, class F>
    std::vector<std::optional<R>> Map(std::vector<std::string> gbPaths, F fn,
                                      const std::function<void(size_t)>& progress = {});
    // One call: fn() for the register path `gbPath`.
    template <class F> auto Call(std::string_view gbPath, F fn) -> std::optional<decltype(fn())> {
        using R = decltype(fn());
        return std::move(Map<R>({std::string(gbPath)}, [fn = std::move(fn)](const std::string&) {
                             return fn();
                         }).front());
    }

    // For work that reports its own progress (a long copy): `call` runs on the command's
    // worker after the calls before it, and must own what it touches.
    void Post(std::function<void()> call);
    // Waits as the other calls wait until `done` holds. Deadline when the worker's call in
    // hand, begun at the counter reading `callStarted()`, has run past the disk deadline (the
    // caller then names the mount and calls Abandon); Stopped on `stop`, when `stoppable`.
    WaitEnd WaitFor(const std::function<bool()>& done, const std::function<int64_t()>& callStarted,
                    bool stoppable);
    // Leaves the worker to the call it is stuck in; later calls get a new one.
    void Abandon() { worker_.reset(); }

private:
    struct Progress {
        std::mutex mutex;
        std::condition_variable changed;
        size_t next = 0;     // items before it are finished
        int64_t started = 0; // counter reading when item `next` started
        unsigned worker = 0; // the worker whose results count
    };
    // Starts `run(from, worker)` on a new worker, waits, and restarts it past an item that
    // missed the deadline, until every item is finished or the wait stopped.
    void Drive(const std::vector<std::string>& gbPaths, const std::shared_ptr<Progress>& state,
               const std::function<void(size_t, unsigned)>& run,
               const std::function<void(size_t)>& progress);

    std::vector<TMountPoint> mounts_;
    std::set<std::string> deadMounts_; // register forms of the mount points
    std::function<void(const TMountPoint&)> notAnswering_;
    std::function<bool()> stop_;
    QEventLoop::ProcessEventsFlags flags_;
    std::unique_ptr<TDetachedWorker> worker_; // made at the first call, dropped when stuck
    bool stopped_ = false;
};

template <class R, class F>
std::vector<std::optional<R>> TDiskCalls::Map(std::vector<std::string> gbPaths, F fn,
                                              const std::function<void(size_t)>& progress) {
    struct Batch : Progress {
        std::vector<std::optional<R>> results;
    };
    auto batch = std::make_shared<Batch>();
    batch->results.resize(gbPaths.size());
    auto paths = std::make_shared<const std::vector<std::string>>(std::move(gbPaths));
    auto shared = std::make_shared<F>(std::move(fn));
    std::vector<char> skip(paths->size());
    auto run = [&](size_t from, unsigned worker) {
        for (size_t i = from; i < paths->size(); ++i)
            skip[i] = !Answering((*paths)[i]);
        Post([batch, paths, shared, skip, from, worker] {
            int64_t lastWake = CounterNow();
            for (size_t i = from; i < paths->size(); ++i) {
                {
                    std::lock_guard lock(batch->mutex);
                    if (batch->worker != worker) return; // abandoned
                    batch->started = CounterNow();
                }
                std::optional<R> result;
                if (!skip[i]) result = (*shared)((*paths)[i]);
                {
                    std::lock_guard lock(batch->mutex);
                    if (batch->worker != worker) return;
                    batch->results[i] = std::move(result);
                    batch->next = i + 1;
                }
                batch->changed.notify_all();
                // The UI thread looks again at the end and every few milliseconds.
                if (i + 1 == paths->size() || CounterNow() - lastWake > CounterFrequency() / 200) {
                    lastWake = CounterNow();
                    WakeEventWait();
                }
            }
        });
    };
    Drive(*paths, batch, run, progress);
    std::lock_guard lock(batch->mutex);
    ++batch->worker; // a worker still running after a stop writes nothing more
    return std::move(batch->results);
}
