#include "platform/DiskCalls.h"

#include "platform/GbText.h"

#include <atomic>
#include <chrono>
#include <climits>

namespace {
std::atomic<int> deadlineMs{kDiskDeadlineMs};
} // namespace

int DiskDeadlineMs() {
    return deadlineMs;
}

void SetDiskDeadlineMs(int ms) {
    deadlineMs = ms;
}

TDiskCalls::TDiskCalls(std::function<void(const TMountPoint&)> notAnswering,
                       std::function<bool()> stop, QEventLoop::ProcessEventsFlags flags)
    : mounts_(ReadMountTable()), notAnswering_(std::move(notAnswering)), stop_(std::move(stop)),
      flags_(flags) {}

bool TDiskCalls::Answering(std::string_view gbPath) const {
    if (deadMounts_.empty()) return true;
    const TMountPoint* mount = MountOfRegisterPath(mounts_, gbPath);
    return !mount || !deadMounts_.contains(mount->registerForm);
}

void TDiskCalls::MarkNotAnswering(std::string_view gbPath) {
    const TMountPoint* mount = MountOfRegisterPath(mounts_, gbPath);
    if (!mount || !deadMounts_.insert(mount->registerForm).second) return;
    if (notAnswering_) notAnswering_(*mount);
}

void TDiskCalls::Post(std::function<void()> call) {
    if (!worker_) worker_ = std::make_unique<TDetachedWorker>();
    worker_->Post(std::move(call));
}

WaitEnd TDiskCalls::WaitFor(const std::function<bool()>& done,
                            const std::function<int64_t()>& callStarted, bool stoppable) {
    const int64_t deadline = int64_t(DiskDeadlineMs()) * CounterFrequency() / 1000;
    bool overdue = false;
    const WaitEnd end = WaitUntil(
        [&] {
            if (done()) return true;
            overdue = CounterNow() - callStarted() > deadline;
            return overdue;
        },
        INT_MAX, stoppable ? stop_ : std::function<bool()>(), flags_);
    return overdue ? WaitEnd::Deadline : end;
}

void TDiskCalls::Drive(const std::vector<std::string>& gbPaths,
                       const std::shared_ptr<Progress>& state,
                       const std::function<void(size_t, unsigned)>& run,
                       const std::function<void(size_t)>& progress) {
    const size_t count = gbPaths.size();
    const int64_t deadline = int64_t(DiskDeadlineMs()) * CounterFrequency() / 1000;
    size_t from = 0;
    while (from < count && !stopped_) {
        unsigned worker;
        {
            std::lock_guard lock(state->mutex);
            worker = state->worker;
            state->next = from;
            state->started = CounterNow();
        }
        run(from, worker);
        // A local disk answers within microseconds: wait on the worker alone for a moment
        // before handling window events.
        {
            std::unique_lock lock(state->mutex);
            state->changed.wait_for(lock, std::chrono::milliseconds(2),
                                    [&] { return state->next == count; });
        }
        size_t shown = from;
        bool overdue = false;
        const WaitEnd end = WaitUntil(
            [&] {
                size_t next;
                {
                    std::lock_guard lock(state->mutex);
                    next = state->next;
                    overdue = next < count && CounterNow() - state->started > deadline;
                }
                if (progress && next != shown) progress(shown = next);
                return next == count || overdue;
            },
            INT_MAX, stop_, flags_);
        if (end == WaitEnd::Stopped) stopped_ = true;
        if (end == WaitEnd::Done && !overdue) break;
        // The worker is stuck in a call (or the wait stopped): abandon it.
        size_t stuck;
        {
            std::lock_guard lock(state->mutex);
            stuck = state->next;
            ++state->worker;
        }
        Abandon();
        if (stopped_) break;
        MarkNotAnswering(gbPaths[stuck]);
        from = stuck + 1;
    }
}
