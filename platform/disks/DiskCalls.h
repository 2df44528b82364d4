// File-system calls of one command that may wait on a network share or a disk spinning up.
// They run on a detached worker while the UI thread waits with events processed; a call that
// has not answered within the deadline marks its mount as not answering for the rest of the
// command, its worker is abandoned, and later paths on that mount (matched by the mount
// table, without a call) get no answer at once. Nothing here holds a lock across a call.
#pragma once

#include "platform/disks/MountTable.h"
#include "platform/disks/ReachGate.h"
#include "platform/threads/Clock.h"
#include "platform/threads/DeadlineWorker.h"

#include <QEventLoop>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// Runs a piece of disk work where the caller wants it (a worker with a deadline); it rethrows
// what the work threw.
using DiskWork = std::function<void(const std::function<void()>&)>;

class TDiskCalls {
public:
    // `notAnswering` runs on the UI thread once per mount that misses the deadline (the
    // command's history line); `stop` ends a wait at once (a break or a close); `flags` are
    // the events let through while waiting.
    // `waiting` runs once per change that has run past the deadline and is still waited for
    // (the history names the mount).
    TDiskCalls(std::function<void(const TMountPoint&)> notAnswering, std::function<bool()> stop,
               QEventLoop::ProcessEventsFlags flags = QEventLoop::ExcludeUserInputEvents,
               std::function<void(const TMountPoint&)> waiting = {});
    TDiskCalls(const TDiskCalls&) = delete;
    TDiskCalls& operator=(const TDiskCalls&) = delete;

    // Whether the mount that holds the register path still answers in this command; no call.
    bool Answering(std::string_view gbPath) const;
    // Whether a wait ended on `stop`: the command ends without acting on what is left.
    bool Stopped() const { return stopped_; }
    // Counts the mount that holds the register path as not answering from now on (a call
    // made elsewhere, such as a read ahead, missed the deadline on it).
    void MarkNotAnswering(std::string_view gbPath);
    // The same for the place a call was charged to (a mount point), or for the mount of a
    // device.
    void MarkPlaceNotAnswering(const std::string& place);
    void MarkDeviceNotAnswering(dev_t device);

    // fn(path) (or fn(path, index)) for each register path, in order, on the worker; an item
    // has no answer when its mount does not answer or the wait stopped. `progress(done)` runs on
    // the UI thread now and then. `fn` must own what it touches: it may outlive the command. An
    // abandoned worker holds the path in hand and `fn`, not the command's other paths or results.
    // With `change`, each call changes the disk (a rename, a move, a delete, a commit): it is
    // waited for without a deadline and without a stop, the window's events handled, so that
    // the register and the disk agree whenever the share answers; a change is never given up
    // and left to happen behind the program's back.
    template <class R, class F>
    std::vector<std::optional<R>> Map(std::vector<std::string> gbPaths, F fn,
                                      const std::function<void(size_t)>& progress = {},
                                      bool change = false);
    // One call: fn() for the register path `gbPath`; Change for a call that changes the disk.
    template <class F> auto Call(std::string_view gbPath, F fn) -> std::optional<decltype(fn())> {
        return One(gbPath, std::move(fn), false);
    }
    template <class F> auto Change(std::string_view gbPath, F fn) -> std::optional<decltype(fn())> {
        return One(gbPath, std::move(fn), true);
    }
    // fn() as Call (or Change) does it, with what fn threw rethrown here; false when the
    // path's mount does not answer or the wait stopped.
    bool Run(std::string_view gbPath, std::function<void()> fn, bool change = false) {
        auto caught = [fn = std::move(fn)]() -> std::exception_ptr {
            try {
                fn();
            } catch (const ENoAnswer&) {
                throw;
            } catch (...) {
                return std::current_exception();
            }
            return nullptr;
        };
        const std::optional<std::exception_ptr> failure = One(gbPath, std::move(caught), change);
        if (failure && *failure) std::rethrow_exception(*failure);
        return failure.has_value();
    }

    // For work that reports its own progress (a long copy): `call` runs on the command's
    // worker after the calls before it, and must own what it touches.
    void Post(std::function<void(TDeadlineWorker::Clock&)> call) { worker_.Post(std::move(call)); }
    // Waits as the other calls wait until `done` holds (asked under the worker's lock):
    // Deadline when the worker's call in hand has run past its deadline (the caller then
    // names the mount and calls Abandon); Stopped on `stop`, when `stoppable`. A `change`
    // has no deadline and no stop, as Change.
    WaitEnd WaitFor(const std::function<bool()>& done, bool stoppable, bool change = false) {
        return worker_.Wait(done, stoppable && !change ? stop_ : std::function<bool()>(), flags_, 0,
                            !change);
    }
    // Waits on a worker of the caller's own (a probe ahead on a graph of its own) as WaitFor
    // waits on the command's worker, with the command's stop and events.
    WaitEnd WaitOn(TDeadlineWorker& worker, const std::function<bool()>& done) const {
        return worker.Wait(done, stop_, flags_, 0);
    }
    // Leaves the worker to the call it is stuck in; later calls get a new one.
    void Abandon() { worker_.Abandon(); }
    // The place a call on the real path is charged to: its mount point.
    std::string PlaceOfReal(std::string_view realPath) const;
    // The place the worker's call in hand was charged to last.
    std::string StuckPlace() const { return worker_.StuckPlace(); }

private:
    template <class F>
    auto One(std::string_view gbPath, F fn, bool change) -> std::optional<decltype(fn())> {
        using R = decltype(fn());
        return std::move(Map<R>(
                             {std::string(gbPath)},
                             [fn = std::move(fn)](const std::string&) { return fn(); }, {}, change)
                             .front());
    }
    struct Progress {
        size_t next = 0; // items before it are finished
    };
    // Starts `run(from)` on the worker, waits, and restarts it past an item that missed the
    // deadline, until every item is finished or the wait stopped.
    void Drive(const std::vector<std::string>& gbPaths, Progress& state,
               const std::function<void(size_t)>& run, const std::function<void(size_t)>& progress,
               bool change);
    const TMountPoint* MountAt(const std::string& place) const;
    // The place a call for the register path is charged to: its mount point.
    static std::string PlaceOf(const std::vector<TMountPoint>& mounts, std::string_view gbPath);

    std::shared_ptr<const std::vector<TMountPoint>> mounts_;
    std::set<std::string> deadMounts_; // mount points
    std::function<void(const TMountPoint&)> notAnswering_, waiting_;
    std::function<bool()> stop_;
    QEventLoop::ProcessEventsFlags flags_;
    TDeadlineWorker worker_;
    bool stopped_ = false;
};

template <class R, class F>
std::vector<std::optional<R>> TDiskCalls::Map(std::vector<std::string> gbPaths, F fn,
                                              const std::function<void(size_t)>& progress,
                                              bool change) {
    struct Batch : Progress {
        std::vector<std::string> paths;
        std::vector<char> skip; // written by the UI thread between runs only
        std::vector<std::optional<R>> results;
    };
    auto batch = std::make_shared<Batch>();
    batch->paths = std::move(gbPaths);
    batch->skip.resize(batch->paths.size());
    batch->results.resize(batch->paths.size());
    auto shared = std::make_shared<F>(std::move(fn));
    auto run = [&](size_t from) {
        for (size_t i = from; i < batch->paths.size(); ++i)
            batch->skip[i] = !Answering(batch->paths[i]);
        auto dead = std::make_shared<const std::set<std::string>>(deadMounts_);
        Post([weak = std::weak_ptr<Batch>(batch), shared, mounts = mounts_, dead,
              from](TDeadlineWorker::Clock& clock) {
            // Each call is charged to the mount it reaches, links followed.
            TReachGate gate(*mounts, [&clock, &dead](const TMountPoint& m) {
                clock.Charge(m.path);
                return !dead->contains(m.path);
            });
            int64_t lastWake = CounterNow();
            for (size_t i = from;; ++i) {
                std::string path;
                bool taken = false, skip = false, last = false;
                const auto take = [&] {
                    const std::shared_ptr<Batch> b = weak.lock();
                    if (!b || i >= b->paths.size()) return;
                    taken = true;
                    path = b->paths[i];
                    skip = b->skip[i];
                    last = i + 1 == b->paths.size();
                };
                if (!clock.Under(take) || !taken || !clock.Begin(PlaceOf(*mounts, path))) return;
                gate.NewCall();
                std::optional<R> result;
                try {
                    if constexpr (std::is_invocable_v<F&, const std::string&, size_t>) {
                        if (!skip) result = (*shared)(path, i);
                    } else {
                        if (!skip) result = (*shared)(path);
                    }
                } catch (const ENoAnswer&) {
                    // the path runs through a mount that does not answer
                }
                // The UI thread looks again at the end and every few milliseconds.
                const bool wake = last || CounterNow() - lastWake > CounterFrequency() / 200;
                if (wake) lastWake = CounterNow();
                if (!clock.Finish(
                        [&] {
                            if (const std::shared_ptr<Batch> b = weak.lock()) {
                                b->results[i] = std::move(result);
                                b->next = i + 1;
                            }
                        },
                        wake))
                    return;
            }
        });
    };
    Drive(batch->paths, *batch, run, progress, change);
    return std::move(batch->results);
}
