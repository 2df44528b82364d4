// Window events during the long loops of the search: processed at most every 10 ms, so that
// the window repaints and the break button is seen while a loop costs no more than it must.
#pragma once

#include <cstdint>

class IShell;

class TEventPace {
public:
    // The first Pump processes events at once.
    explicit TEventPace(IShell& shell);

    // Processes pending events when 10 ms have passed since they were processed last.
    void Pump();
    // For a loop of cheap steps, each of about `weight` units of work: looks at the clock
    // only once per 4,096 units. Returns whether BreakFlag is set.
    bool Step(uint32_t weight = 1);

private:
    IShell& shell_;
    int64_t interval_;
    int64_t last_;
    uint32_t work_ = 0;
};
