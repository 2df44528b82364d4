#include "register/FileRows.h"

#include "platform/fs/FileCalls.h"
#include "platform/fs/LineReader.h"
#include "platform/fs/OverlappedRead.h"
#include "register/LineRows.h"
#include "register/RowArena.h"
#include "register/RowNumbers.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>

namespace {

// The rows are made this far behind the reader: a line's cells are copied in steps that read
// up to PackedRow::kCopyStep bytes past it.
constexpr size_t kHoldBack = 4096;

// A piece of the file's text in a block of its own; every chunk but the last is full.
struct Chunk {
    RowArena::Block* block = nullptr;
    size_t start = 0; // where it begins in the file
    size_t room = 0;
    std::vector<PackedRow> rows; // its rows when the reader's thread made them
    NumberedRun numbers;         // of its rows, wherever they are

    Chunk() = default;
    Chunk(const Chunk&) = delete;
    Chunk& operator=(const Chunk&) = delete;
    ~Chunk() {
        if (block) RowArena::Release(block); // the loader's count: its rows keep it
    }
    size_t End() const { return start + room; }
    char* At(size_t offset) const { return RowArena::Data(block) + (offset - start); }
};

// The chunks of one file as the reader makes them, handed out from the front to the calling
// thread and from the back to the reader's thread.
class ChunkTable {
public:
    ChunkTable(size_t expected, size_t chunkBytes)
        : chunkBytes_(chunkBytes), expected_(expected),
          // A file that grows past the expected size goes on in chunks as big as what has
          // been read before, so a few dozen more are enough for any size.
          chunks_((expected + chunkBytes - 1) / chunkBytes + 64) {}

    // On the reader's thread: room for the bytes after the first `read`.
    ReadRoom Next(size_t read) {
        const size_t i = count_.load(std::memory_order_relaxed);
        Chunk& chunk = chunks_[i];
        chunk.start = read;
        chunk.room = read < expected_ ? std::min(chunkBytes_, expected_ - read)
                                      : std::max(chunkBytes_, read);
        chunk.block = RowArena::NewBlock(chunk.room + PackedRow::kCopyStep);
        count_.store(i + 1, std::memory_order_release);
        return {chunk.At(read), chunk.room};
    }
    // The chunks the reader has begun.
    size_t Count() const { return count_.load(std::memory_order_acquire); }
    const Chunk& operator[](size_t i) const { return chunks_[i]; }
    Chunk& operator[](size_t i) { return chunks_[i]; }

    // Whether chunk `i`, the one after those the front has, is still free for the front.
    bool ClaimFront(size_t i) {
        std::lock_guard lock(claims_);
        if (i >= backBegin_) return false;
        frontEnd_ = i + 1;
        return true;
    }
    // The last chunk still free, for the back; only once the whole file is read.
    std::optional<size_t> ClaimBack() {
        std::lock_guard lock(claims_);
        backBegin_ = std::min(backBegin_, Count()); // the back starts at the end
        if (backBegin_ <= frontEnd_) return std::nullopt;
        return --backBegin_;
    }

private:
    const size_t chunkBytes_;
    const size_t expected_;
    std::vector<Chunk> chunks_;
    std::atomic<size_t> count_{0};
    std::mutex claims_;
    size_t frontEnd_ = 0;
    size_t backBegin_ = SIZE_MAX;
};

// Makes the rows of the lines that begin in one chunk: after its first line feed (in the
// first chunk, from its start). The last of them, which runs into the chunks after it, is
// finished from their text, copied out, as are the lines in the chunk's last bytes, which
// the block scan leaves to the end of the text.
class ChunkRows {
public:
    ChunkRows(ChunkTable& chunks, size_t index, std::vector<PackedRow>& rows, RowArena& arena)
        : chunks_(chunks), index_(index), chunk_(chunks[index]), rows_(rows), arena_(arena),
          numbered_(rows.size()), seek_(chunk_.start) {}

    // The file's first `size` bytes are there, all of it when `last`; true once every row
    // of the chunk is made.
    bool Advance(size_t size, bool last) {
        if (size < chunk_.start) return false;
        const bool final = last && index_ + 1 == chunks_.Count(); // the file ends in it
        const size_t have = std::min(size, chunk_.End());
        const bool whole = have == chunk_.End() || final;
        if (!builder_) {
            if (index_ > 0) {
                if (!Seek(have)) return whole; // no line begins in it
            }
            begin_ = seek_;
            builder_.emplace(chunk_.block, chunk_.At(begin_), rows_, arena_);
            seek_ = chunk_.End();
        }
        if (!bodyDone_) {
            builder_->Take(have - begin_, final);
            TakeNumbers();
            if (!whole) return false;
            bodyDone_ = true;
            if (final) return true;
        }
        return FinishLastLine(size, last);
    }

private:
    // The new rows' numbers are looked at while the rows are still in the cache.
    void TakeNumbers() {
        for (; numbered_ < rows_.size(); ++numbered_)
            chunk_.numbers.Take(rows_[numbered_].Cell(0));
    }

    // Looks for a line feed from seek_ to `upto` in the chunk that holds seek_; true leaves
    // seek_ past it, false at `upto`.
    bool Seek(size_t upto) {
        const Chunk& chunk = chunks_[seekChunk_];
        const char* from = chunk.At(seek_);
        if (const void* feed = std::memchr(from, '\n', upto - seek_)) {
            seek_ += size_t(static_cast<const char*>(feed) - from) + 1;
            return true;
        }
        seek_ = upto;
        return false;
    }

    bool FinishLastLine(size_t size, bool last) {
        // The text runs on to the next line feed, or to the file's end.
        for (;;) {
            if (seek_ >= size) {
                if (!last) return false;
                break;
            }
            while (chunks_[seekChunk_].End() <= seek_)
                ++seekChunk_;
            if (Seek(std::min(size, chunks_[seekChunk_].End()))) break;
        }
        std::string text;
        for (size_t k = index_, at = begin_ + builder_->Pending(); at < seek_; ++k) {
            const Chunk& chunk = chunks_[k];
            const size_t upto = std::min(seek_, chunk.End());
            text.append(chunk.At(at), upto - at);
            at = upto;
        }
        AppendCopiedRows(text, rows_);
        TakeNumbers();
        return true;
    }

    const ChunkTable& chunks_;
    const size_t index_;
    Chunk& chunk_; // its rows and numbers are this thread's; the rest is the reader's
    std::vector<PackedRow>& rows_;
    RowArena& arena_;
    size_t numbered_; // the rows whose numbers were looked at
    std::optional<LineRowBuilder> builder_;
    size_t begin_ = 0;          // where its first line begins, in the file
    bool bodyDone_ = false;     // the builder has had all of the chunk
    size_t seek_;               // where the search for a line feed goes on, in the file
    size_t seekChunk_ = index_; // the chunk that holds seek_
};

} // namespace

bool ReadFileRows(const RealPath& path, std::vector<PackedRow>& rows, size_t chunkBytes) {
    const int fd = OpenRegularFile(path);
    struct Closer {
        int fd;
        ~Closer() { CloseFile(fd); }
    } closer{fd};
    const std::optional<FileStatus> st = StatusOfOpen(fd);
    const size_t expected = (st ? size_t(st->size) : 0) + 1; // +1 sees growth
    // Room for a line of every 48 bytes: growing the vector would copy it several times.
    // Untouched room costs address space.
    const size_t before = rows.size();
    rows.reserve(before + expected / 48 + 1);
    RowArena::AdviseHugePages(rows.data(), rows.capacity() * sizeof(PackedRow));
    ChunkTable chunks(expected, chunkBytes);
    RowArena frontArena, backArena;
    std::optional<ChunkRows> front;
    size_t nextFront = 0;
    OverlappedRead(
        fd, kHoldBack, [&](size_t read) { return chunks.Next(read); },
        [&](size_t size, bool last) {
            for (;;) {
                if (!front) {
                    if (nextFront == chunks.Count() || !chunks.ClaimFront(nextFront)) return;
                    front.emplace(chunks, nextFront++, rows, frontArena);
                }
                if (!front->Advance(size, last)) return;
                front.reset();
            }
        },
        [&](size_t size) {
            while (const std::optional<size_t> i = chunks.ClaimBack()) {
                Chunk& chunk = chunks[*i];
                chunk.rows.reserve(chunk.room / 48 + 1);
                ChunkRows(chunks, *i, chunk.rows, backArena).Advance(size, true);
            }
        });
    // The back's chunks follow the front's.
    for (size_t i = nextFront; i < chunks.Count(); ++i)
        rows.insert(rows.end(), std::make_move_iterator(chunks[i].rows.begin()),
                    std::make_move_iterator(chunks[i].rows.end()));
    size_t number = 1;
    for (size_t i = 0; i < chunks.Count(); ++i) {
        const NumberedRun& run = chunks[i].numbers;
        if (run.count == 0) continue;
        if (!run.holds || run.first != number) return false;
        number += run.count;
    }
    return number == rows.size() - before + 1 && number > 1;
}
