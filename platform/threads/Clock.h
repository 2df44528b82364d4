// The high-resolution counter (CLOCK_MONOTONIC in nanoseconds).
#pragma once

#include <cstdint>

// Ticks per second; 0 when the platform has no such counter.
int64_t CounterFrequency();
int64_t CounterNow();
