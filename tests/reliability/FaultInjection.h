// Ways to make file operations fail while the tests run as root (a read-only folder does
// not stop root): a file-size limit stands in for a full disk, and a link to /proc/self/mem
// opens fine but fails every read with EIO.
#pragma once

#include <csignal>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

// While it lives, no file can grow past `bytes`; a write beyond fails with EFBIG instead
// of killing the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit old_ {};
    void (*oldHandler_)(int) = SIG_DFL;
};

// Makes `path` a file that opens but cannot be read.
inline void MakeUnreadable(const std::string& path) {
    symlink("/proc/self/mem", path.c_str());
}
