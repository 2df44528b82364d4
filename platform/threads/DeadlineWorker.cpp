#include "platform/threads/DeadlineWorker.h"

#include "platform/threads/Clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

std::atomic<int> deadlineMs{kDiskDeadlineMs};

int64_t MsToTicks(int ms) {
    return int64_t(ms) * CounterFrequency() / 1000;
}

} // namespace

int DiskDeadlineMs() {
    return deadlineMs;
}

void SetDiskDeadlineMs(int ms) {
    deadlineMs = ms;
}

int DeadlineForBytesMs(uint64_t bytes) {
    constexpr uint64_t kSlowBytesPerMs = 10'000'000 / 1000;
    return int(std::min<uint64_t>(INT_MAX, uint64_t(DiskDeadlineMs()) + bytes / kSlowBytesPerMs));
}

// One thread's queue and the call it has in hand. A new thread gets a new state, so an
// abandoned thread only ever sees its own, flagged abandoned.
struct TDeadlineWorker::Clock::State {
    mutable std::mutex mutex;
    std::condition_variable wake;     // the thread waits for calls
    std::condition_variable returned; // the UI thread waits for a quick call
    std::deque<std::function<void(Clock&)>> calls;
    bool abandoned = false;
    bool busy = false; // a call begun and not finished
    int64_t started = 0;
    int64_t deadline = 0; // ticks
    std::string place;
};

bool TDeadlineWorker::Clock::Begin(std::string place, int deadlineMs) {
    std::lock_guard lock(state_->mutex);
    if (state_->abandoned) return false;
    state_->busy = true;
    state_->started = CounterNow();
    state_->deadline = MsToTicks(deadlineMs > 0 ? deadlineMs : DiskDeadlineMs());
    state_->place = std::move(place);
    return true;
}

bool TDeadlineWorker::Clock::Charge(std::string place) {
    std::lock_guard lock(state_->mutex);
    state_->place = std::move(place);
    return !state_->abandoned;
}

void TDeadlineWorker::Clock::Progressed() {
    std::lock_guard lock(state_->mutex);
    state_->started = CounterNow();
}

bool TDeadlineWorker::Clock::Finish(const std::function<void()>& commit, bool wake) {
    {
        std::lock_guard lock(state_->mutex);
        state_->busy = false;
        if (state_->abandoned) return false;
        if (commit) commit();
    }
    if (wake) {
        state_->returned.notify_all();
        WakeEventWait();
    }
    return true;
}

bool TDeadlineWorker::Clock::Under(const std::function<void()>& read) const {
    std::lock_guard lock(state_->mutex);
    if (state_->abandoned) return false;
    read();
    return true;
}

TDeadlineWorker::TDeadlineWorker() : state_(std::make_shared<Clock::State>()) {
    clock_.state_ = state_;
}

TDeadlineWorker::~TDeadlineWorker() {
    Drop();
}

void TDeadlineWorker::StartThread() {
    threadStarted_ = true;
    std::thread([clock = clock_]() mutable {
        Clock::State& s = *clock.state_;
        for (;;) {
            std::function<void(Clock&)> call;
            {
                std::unique_lock lock(s.mutex);
                s.wake.wait(lock, [&] { return s.abandoned || !s.calls.empty(); });
                if (s.calls.empty()) return; // abandoned
                call = std::move(s.calls.front());
                s.calls.pop_front();
            }
            call(clock);
        }
    }).detach();
}

void TDeadlineWorker::Post(std::function<void(Clock&)> call) {
    if (!threadStarted_) StartThread();
    {
        std::lock_guard lock(state_->mutex);
        state_->calls.push_back(std::move(call));
    }
    state_->wake.notify_one();
}

WaitEnd TDeadlineWorker::Wait(const std::function<bool()>& done, const std::function<bool()>& stop,
                              QEventLoop::ProcessEventsFlags flags, int quietMs, bool deadline,
                              const std::function<void()>& looked) {
    const std::shared_ptr<Clock::State> held = state_; // a nested wait may abandon the worker
    Clock::State& s = *held;
    {
        std::unique_lock lock(s.mutex);
        if (s.returned.wait_for(lock, std::chrono::milliseconds(std::max(0, quietMs)), done))
            return WaitEnd::Done;
    }
    bool overdue = false;
    const WaitEnd end = WaitUntil(
        [&] {
            bool finished;
            {
                std::lock_guard lock(s.mutex);
                finished = done();
                // A nested wait that abandoned the worker ends this one too.
                overdue =
                    !finished &&
                    (s.abandoned || (deadline && s.busy && CounterNow() - s.started > s.deadline));
            }
            if (looked) looked();
            return finished || overdue;
        },
        INT_MAX, stop, flags);
    return overdue ? WaitEnd::Deadline : end;
}

bool TDeadlineWorker::Overdue() const {
    std::lock_guard lock(state_->mutex);
    return state_->busy && CounterNow() - state_->started > state_->deadline;
}

std::string TDeadlineWorker::StuckPlace() const {
    std::lock_guard lock(state_->mutex);
    return state_->place;
}

void TDeadlineWorker::Abandon() {
    Drop();
    state_ = std::make_shared<Clock::State>();
    clock_.state_ = state_;
    threadStarted_ = false;
}

// The calls not started yet still run, each told by Begin that it makes no call, so that
// what they hold is let go of as they would let go of it (a graph emptied).
void TDeadlineWorker::Drop() {
    {
        std::lock_guard lock(state_->mutex);
        state_->abandoned = true;
    }
    state_->wake.notify_one();
    state_->returned.notify_all();
}
