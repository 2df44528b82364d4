// Reading a large file while the caller works on what has arrived: a second thread reads
// it in pieces into the caller's buffers, so that the kernel's copy (and the first touch of
// fresh memory) runs beside the caller's work instead of before it. Once the file is read,
// that thread can take on a share of the caller's work.
#pragma once

#include <cstddef>
#include <functional>

// Memory for the reader to fill: `size` bytes (at least one) at `data`.
struct ReadRoom {
    char* data = nullptr;
    size_t size = 0;
};

// Reads the open file to its end into the rooms that `next(read)` gives in turn, called on
// the reader's thread with the bytes read so far, first at 0 and then each time the room
// before is full. `take(size, last)` is called on the calling thread as the bytes arrive:
// `size` counts the bytes of all rooms together and stays `holdBack` bytes behind what has
// been read, so that `take` may read that far past `size` in the room that holds it while
// the reader writes further on; the last call gives the whole size. Once the whole file is
// there, `afterRead(size)` runs on the reader's thread, beside that last call. Gives the
// file's size. Throws EFileError (read) as ReadFully does, or what `afterRead` threw, after
// the reader's thread has ended; after a read error `take` is not called again and
// `afterRead` not at all.
size_t OverlappedRead(int fd, size_t holdBack, const std::function<ReadRoom(size_t read)>& next,
                      const std::function<void(size_t size, bool last)>& take,
                      const std::function<void(size_t size)>& afterRead);
