#include "platform/fs/OverlappedRead.h"

#include "platform/fs/LineReader.h"

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

size_t OverlappedRead(int fd, size_t holdBack, const std::function<ReadRoom(size_t read)>& next,
                      const std::function<void(size_t size, bool last)>& take,
                      const std::function<void(size_t size)>& afterRead) {
    std::atomic<uint64_t> state{0};
    std::exception_ptr readFailure, afterFailure;
    size_t size = 0;
    {
        // Joined on every way out, a throwing `take` included: it writes into the rooms.
        std::jthread reader([&] {
            size_t have = 0;
            try {
                for (bool ended = false; !ended;) {
                    const ReadRoom room = next(have);
                    for (size_t used = 0; used < room.size && !ended;) {
                        const size_t want = std::min(kPiece, room.size - used);
                        const size_t got = ReadFully(fd, room.data + used, want);
                        used += got;
                        have += got;
                        ended = got < want;
                        if (!ended) {
                            state.store(uint64_t(have) << 1, std::memory_order_release);
                            state.notify_one();
                        }
                    }
                }
            } catch (...) {
                readFailure = std::current_exception();
            }
            state.store(uint64_t(have) << 1 | kStopped, std::memory_order_release);
            state.notify_one();
            if (readFailure) return;
            try {
                afterRead(have);
            } catch (...) {
                afterFailure = std::current_exception();
            }
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
        size = size_t(seen >> 1);
        if (!readFailure) take(size, true);
    }
    if (readFailure) std::rethrow_exception(readFailure);
    if (afterFailure) std::rethrow_exception(afterFailure);
    return size;
}
