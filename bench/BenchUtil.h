// Small helpers shared by the benchmark programs.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

inline double Seconds(const std::chrono::steady_clock::time_point& start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <typename F> double Time(F&& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    return Seconds(start);
}

// The middle of several timings of the same work.
inline double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Runs a shell command (the anchors) and returns its wall time.
inline double TimeShell(const std::string& command) {
    return Time([&] {
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "failed: %s\n", command.c_str());
    });
}

// A size field of /proc/self/status ("VmRSS:", "VmHWM:", ...) in bytes.
inline long long StatusBytes(const std::string& field) {
    std::ifstream in("/proc/self/status");
    std::string key;
    while (in >> key) {
        if (key == field) {
            long long kb;
            in >> kb;
            return kb * 1024;
        }
        std::getline(in, key);
    }
    return 0;
}

// Resident set size of this process in bytes.
inline long long ResidentBytes() {
    return StatusBytes("VmRSS:");
}

// The highest resident set size this process has had, in bytes.
inline long long PeakResidentBytes() {
    return StatusBytes("VmHWM:");
}
