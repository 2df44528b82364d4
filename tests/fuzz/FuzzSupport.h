// Shared helpers of the libFuzzer targets: a scratch folder on a memory file system (the
// safe writes fsync every file) and a check that stops the run with a message.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

#define FUZZ_CHECK(cond)                                                                           \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// A folder of this process, with its trailing "/" (ASCII, so also a valid GB18030 path),
// below $TAVLORA_FUZZ_DIR (tools/fuzz sets it and removes it afterwards).
inline const std::string& ScratchDir() {
    static const std::string dir = [] {
        const char* env = std::getenv("TAVLORA_FUZZ_DIR");
        std::string base = env ? env : "/tmp";
        std::string pattern = base + "/tavlora-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern + "/";
    }();
    return dir;
}

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
