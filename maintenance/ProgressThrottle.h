// Keeps a progress bar that follows a fast loop from costing more than the loop: a repaint
// is due only when the position has moved by at least 1% of the range and at least 50 ms
// have passed since the last one (the first position is always shown).
#pragma once

#include <cstdint>

class ProgressThrottle {
public:
    explicit ProgressThrottle(int range);
    // True when the bar should show `position` now; the caller then repaints it.
    bool Due(int position);

private:
    int step_;
    int lastPosition_ = 0;
    int64_t lastTick_ = 0;
    int64_t minTicks_;
    bool shown_ = false;
};
