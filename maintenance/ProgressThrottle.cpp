#include "maintenance/ProgressThrottle.h"

#include "platform/threads/Clock.h"

#include <algorithm>
#include <cstdlib>

ProgressThrottle::ProgressThrottle(int range)
    : step_(std::max(1, range / 100)), minTicks_(CounterFrequency() / 20) {}

bool ProgressThrottle::Due(int position) {
    if (shown_ && std::abs(position - lastPosition_) < step_) return false;
    const int64_t now = CounterNow();
    if (shown_ && now - lastTick_ < minTicks_) return false;
    shown_ = true;
    lastPosition_ = position;
    lastTick_ = now;
    return true;
}
