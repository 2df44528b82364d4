// Root reads every folder whatever its mode. While one of these lives, the calling thread
// (and every thread it starts) has no right to override file modes, so a folder of mode 000
// cannot be read, as for any user, while the folders above the test's own stay reachable
// through their owner's bits, whatever their group and other bits are.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class FileModesApply {
public:
    FileModesApply() {
        header_ = {_LINUX_CAPABILITY_VERSION_3, 0};
        if (syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~(CapBit(CAP_DAC_OVERRIDE) | CapBit(CAP_DAC_READ_SEARCH));
        changed_ = syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~FileModesApply() {
        if (changed_) syscall(SYS_capset, &header_, saved_);
    }
    FileModesApply(const FileModesApply&) = delete;
    FileModesApply& operator=(const FileModesApply&) = delete;

private:
    static constexpr unsigned CapBit(int cap) { return 1u << cap; }
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool changed_ = false;
};
