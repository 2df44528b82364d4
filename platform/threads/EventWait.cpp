#include "platform/threads/EventWait.h"

#include "platform/threads/Clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <mutex>

namespace {

int running = 0; // UI thread only
// The dispatcher of the thread inside a WaitUntil now, for wake-ups from other threads; none
// outside the waits. A worker may finish its call after the wait for it has ended, even
// after the program's exit has destroyed the dispatcher: it must then touch nothing.
std::mutex waitMutex;
QAbstractEventDispatcher* waitingDispatcher = nullptr;
int waiting = 0;

struct Waiting {
    Waiting() {
        std::lock_guard lock(waitMutex);
        if (waiting++ == 0) waitingDispatcher = QThread::currentThread()->eventDispatcher();
    }
    ~Waiting() {
        std::lock_guard lock(waitMutex);
        if (--waiting == 0) waitingDispatcher = nullptr;
    }
    Waiting(const Waiting&) = delete;
    Waiting& operator=(const Waiting&) = delete;
};

struct Running {
    Running() { ++running; }
    ~Running() { --running; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
};

int64_t MsToTicks(int ms) {
    return int64_t(ms) * CounterFrequency() / 1000;
}

int TicksToMs(int64_t ticks) {
    const int64_t frequency = CounterFrequency();
    return int(std::max<int64_t>(1, (ticks * 1000 + frequency - 1) / frequency));
}

} // namespace

void ProcessPendingEvents(QEventLoop::ProcessEventsFlags flags) {
    Running scope;
    QCoreApplication::processEvents(flags);
}

void WaitProcessingEvents(int ms) {
    const int64_t start = CounterNow();
    if (start == 0) return;
    const int64_t wait = MsToTicks(ms);
    // A timer set to the time left wakes the wait; every other event wakes it earlier.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    Running scope;
    for (int64_t left; (left = wait - (CounterNow() - start)) > 0;) {
        wake.start(TicksToMs(left));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

int RunningEventWaits() {
    return running;
}

WaitEnd WaitUntil(const std::function<bool()>& done, int ms, const std::function<bool()>& stop,
                  QEventLoop::ProcessEventsFlags flags) {
    if (done()) return WaitEnd::Done;
    Waiting registered;
    const int64_t start = CounterNow();
    const int64_t wait = MsToTicks(ms);
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    Running scope;
    for (;;) {
        if (done()) return WaitEnd::Done;
        if (stop && stop()) return WaitEnd::Stopped;
        const int64_t left = wait - (CounterNow() - start);
        if (left <= 0) return WaitEnd::Deadline;
        // At least every 50 ms a look at `stop`, whatever wakes the queue.
        wake.start(std::min(50, TicksToMs(left)));
        QCoreApplication::processEvents(flags | QEventLoop::WaitForMoreEvents);
    }
}

void WakeEventWait() {
    std::lock_guard lock(waitMutex);
    if (waitingDispatcher) waitingDispatcher->wakeUp();
}
