// A short disk deadline for the length of a test: a frozen share would cost 15 s a call.
#pragma once

#include "platform/disks/DiskCalls.h"

class ShortDiskDeadline {
public:
    explicit ShortDiskDeadline(int ms) { SetDiskDeadlineMs(ms); }
    ~ShortDiskDeadline() { SetDiskDeadlineMs(kDiskDeadlineMs); }
    ShortDiskDeadline(const ShortDiskDeadline&) = delete;
    ShortDiskDeadline& operator=(const ShortDiskDeadline&) = delete;
};
