// Reading a large file while the caller works on what has arrived: a second thread reads
// it in pieces into the caller's buffer, so that the kernel's copy (and the first touch of
// fresh memory) runs beside the caller's work instead of before it.
#pragma once

#include <cstddef>
#include <functional>

struct ReadProgress {
    size_t size = 0;   // bytes in the buffer
    bool last = false; // the file ended before the buffer was full
};

// Reads the open file into `buffer` until `room` bytes are there or the file ends, calling
// `take(size, last)` on the calling thread as the bytes arrive; `size` stays `holdBack`
// bytes behind what has been read, so that `take` may read that far past `size` while
// the reader writes further on. The last call gives everything read and whether the file
// ended. Throws EFileError (read) as ReadFully does, after the reader has stopped.
ReadProgress OverlappedRead(int fd, char* buffer, size_t room, size_t holdBack,
                            const std::function<void(size_t size, bool last)>& take);
