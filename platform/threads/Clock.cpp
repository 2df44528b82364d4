#include "platform/threads/Clock.h"

#include <time.h>

int64_t CounterFrequency() {
    struct timespec ts;
    return clock_getres(CLOCK_MONOTONIC, &ts) == 0 ? 1'000'000'000 : 0;
}

int64_t CounterNow() {
    struct timespec ts;
    if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0) return 0;
    return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}
