#include "platform/OverlappedRead.h"

#include "platform/LineReader.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <thread>

namespace {

constexpr size_t kPiece = size_t(256) << 10;

// What the reader has done, in one word that the caller waits on: the bytes read so far,
// shifted left, and whether the reader has stopped.
constexpr uint64_t kStopped = 1;

} // namespace

ReadProgress OverlappedRead(int fd, char* buffer, size_t room, size_t holdBack,
                            const std::function<void(size_t size, bool last)>& take) {
    std::atomic<uint64_t> state{0};
    bool ended = false;
    std::exception_ptr failure;
    {
        // Joined on every way out, a throwing `take` included: it writes into `buffer`.
        std::jthread reader([&] {
            size_t have = 0;
            try {
                while (have < room && !ended) {
                    const size_t want = std::min(kPiece, room - have);
                    const size_t got = ReadFully(fd, buffer + have, want);
                    have += got;
                    ended = got < want;
                    if (!ended) {
                        state.store(uint64_t(have) << 1, std::memory_order_release);
                        state.notify_one();
                    }
                }
            } catch (...) {
                failure = std::current_exception();
            }
            state.store(uint64_t(have) << 1 | kStopped, std::memory_order_release);
            state.notify_one();
        });
        uint64_t seen = 0;
        size_t given = 0;
        for (;;) {
            state.wait(seen, std::memory_order_acquire);
            seen = state.load(std::memory_order_acquire);
            if (seen & kStopped) break;
            const size_t have = size_t(seen >> 1);
            if (have > given + holdBack) {
                given = have - holdBack;
                take(given, false);
            }
        }
    }
    if (failure) std::rethrow_exception(failure);
    const ReadProgress done{size_t(state.load() >> 1), ended};
    take(done.size, done.last);
    return done;
}
