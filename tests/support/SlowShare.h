// A slow network share for tests and benchmarks: slowsharefs (SlowShareFs.cpp) run as its
// own process, passing a real folder through with a fixed delay on every call. Freeze() stops
// the process (SIGSTOP), so every call into the share waits as on a NAS switched off.
// Whatever way a test or benchmark ends, the share is thawed and unmounted: the destructor
// (a failed assertion returns through it), exit() (a registry run at exit), and a crash (the
// process dies with its parent and the kernel's helper unmounts it, auto_unmount).
#pragma once

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

class TSlowShare {
public:
    // Why the share cannot run on this machine; empty when it can.
    static std::string Unavailable() {
#ifndef TAVLORA_SLOWSHARE_FS
        return "slowsharefs was not built (libfuse3-dev missing; tools/deps installs it)";
#else
        if (access("/dev/fuse", R_OK | W_OK) != 0) return "no usable /dev/fuse on this machine";
        return {};
#endif
    }

    // For a benchmark: whether the share can run, with the reason on stderr when not.
    static bool Usable() {
        const std::string why = Unavailable();
        if (!why.empty()) std::fprintf(stderr, "%s\n", why.c_str());
        return why.empty();
    }

    // Mounts `source` at `mountPoint` (made when missing), each call answered after `delayUs`
    // and each change (create, rename, remove) after `changeDelayUs` more, each read or write
    // of file data after `readDelayUs` instead (when given), entries and attributes kept by the
    // kernel for `timeoutS` seconds. Mounted() tells whether it came up.
    TSlowShare(const std::string& source, std::string mountPoint, int delayUs, double timeoutS,
               int changeDelayUs = 0, int readDelayUs = -1)
        : mountPoint_(std::move(mountPoint)) {
        if (!Unavailable().empty()) return;
        mkdir(mountPoint_.c_str(), 0755);
        const std::string delay = std::to_string(delayUs);
        const std::string timeout = std::to_string(timeoutS);
        const std::string changeDelay = std::to_string(changeDelayUs);
        const std::string readDelay = std::to_string(readDelayUs < 0 ? delayUs : readDelayUs);
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ == 0) {
            // Dies with the test, even while stopped; auto_unmount then unmounts.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(1);
#ifdef TAVLORA_SLOWSHARE_FS
            execl(TAVLORA_SLOWSHARE_FS, "slowsharefs", source.c_str(), mountPoint_.c_str(),
                  delay.c_str(), timeout.c_str(), changeDelay.c_str(), readDelay.c_str(),
                  static_cast<char*>(nullptr));
#endif
            _exit(127);
        }
        Live().Add(this);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!(mounted_ = IsMounted()) && std::chrono::steady_clock::now() < until &&
               waitpid(pid_, nullptr, WNOHANG) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~TSlowShare() {
        Live().Remove(this);
        End();
    }
    TSlowShare(const TSlowShare&) = delete;
    TSlowShare& operator=(const TSlowShare&) = delete;

    bool Mounted() const {
        return mounted_;
    }
    const std::string& MountPoint() const {
        return mountPoint_;
    }
    // Every call into the share waits from now until Thaw(): returns once the process has
    // stopped (a stop takes effect when its threads are next scheduled).
    void Freeze() {
        if (pid_ <= 0) return;
        kill(pid_, SIGSTOP);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!Stopped() && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void Thaw() {
        if (pid_ > 0) kill(pid_, SIGCONT);
    }

    // Whether a thread whose name starts with `name` is inside a read (a frozen share keeps it).
    static bool ThreadReads(const std::string& name) {
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
            std::string comm, call; // its name; the call it is in (0 read, 17 pread64)
            std::ifstream(task.path() / "comm") >> comm;
            std::ifstream(task.path() / "syscall") >> call;
            if (comm.starts_with(name) && (call == "0" || call == "17")) return true;
        }
        return false;
    }

private:
    // The shares alive now, ended by exit() too (a benchmark that gives up).
    class Registry {
    public:
        Registry() {
            std::atexit([] { Live().EndAll(); });
        }
        void Add(TSlowShare* share) {
            std::lock_guard lock(mutex_);
            shares_.insert(share);
        }
        void Remove(TSlowShare* share) {
            std::lock_guard lock(mutex_);
            shares_.erase(share);
        }
        void EndAll() {
            std::lock_guard lock(mutex_);
            for (TSlowShare* share : shares_)
                share->End();
        }

    private:
        std::mutex mutex_;
        std::set<TSlowShare*> shares_;
    };
    static Registry& Live() {
        static Registry* registry = new Registry; // outlives the objects that use it at exit
        return *registry;
    }

    // Whether every thread of the process has stopped ("T" in its task states).
    bool Stopped() const {
        const std::string tasks = "/proc/" + std::to_string(pid_) + "/task";
        DIR* dir = opendir(tasks.c_str());
        if (!dir) return false;
        bool stopped = true;
        while (dirent* e = readdir(dir)) {
            if (e->d_name[0] == '.') continue;
            std::ifstream stat(tasks + "/" + e->d_name + "/stat");
            std::string line;
            std::getline(stat, line);
            const size_t close = line.rfind(')');
            if (close == std::string::npos || line.compare(close + 1, 3, " T ") != 0)
                stopped = false;
        }
        closedir(dir);
        return stopped;
    }

    bool IsMounted() const {
        std::ifstream in("/proc/self/mountinfo");
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            std::string id, parent, device, root, point;
            fields >> id >> parent >> device >> root >> point;
            if (point == mountPoint_ && line.find(" fuse.slowshare ") != std::string::npos)
                return true;
        }
        return false;
    }

    // Thaws, unmounts lazily (calls still inside return once thawed) and ends the process.
    void End() {
        if (pid_ <= 0) return;
        kill(pid_, SIGCONT);
        if (const pid_t helper = fork(); helper == 0) {
            execlp("fusermount3", "fusermount3", "-u", "-z", mountPoint_.c_str(),
                   static_cast<char*>(nullptr));
            _exit(127);
        } else if (helper > 0) {
            while (waitpid(helper, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
        kill(pid_, SIGTERM);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (waitpid(pid_, nullptr, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pid_ = -1;
        mounted_ = false;
    }

    std::string mountPoint_;
    pid_t pid_ = -1;
    bool mounted_ = false;
};
