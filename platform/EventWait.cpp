#include "platform/EventWait.h"

#include "platform/Clock.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cstdint>

namespace {

int running = 0; // UI thread only

struct Running {
    Running() { ++running; }
    ~Running() { --running; }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
};

} // namespace

void ProcessPendingEvents() {
    Running scope;
    QCoreApplication::processEvents();
}

void WaitProcessingEvents(int ms) {
    const int64_t start = CounterNow();
    if (start == 0) return;
    const int64_t frequency = CounterFrequency();
    const int64_t wait = int64_t(ms) * 1000 * frequency / 1'000'000;
    // A timer set to the time left wakes the wait; every other event wakes it earlier.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    Running scope;
    for (int64_t left; (left = wait - (CounterNow() - start)) > 0;) {
        wake.start(int(std::max<int64_t>(1, (left * 1000 + frequency - 1) / frequency)));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

int RunningEventWaits() {
    return running;
}
