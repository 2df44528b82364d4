#include "fileops/BlockCopyJob.h"

#include "fileops/FileHelpers.h"
#include "platform/fs/FileCalls.h"
#include "platform/fs/FileErrors.h"
#include "platform/fs/LineReader.h"
#include "platform/fs/SafeFile.h"
#include "platform/threads/Clock.h"
#include "platform/threads/EventWait.h"

#include <cerrno>
#include <vector>

namespace {

using Side = TBlockCopyJob::Side;

// Copies exactly `count` bytes from the current offsets. The kernel's in-place copy is
// used while the file systems allow it; otherwise the bytes pass through the buffer.
// `begin` is told before each call which file it may wait on.
class BlockPump {
public:
    BlockPump(int from, int to, std::function<void(Side)> begin)
        : from_(from), to_(to), begin_(std::move(begin)) {}

    void Copy(uint64_t count) {
        while (count > 0 && inKernel_) {
            begin_(Side::Source);
            ptrdiff_t n = CopyInKernel(from_, to_, size_t(count));
            if (n > 0) {
                count -= uint64_t(n);
            } else if (n == 0) {
                ThrowReadError(); // the source got shorter meanwhile
            } else if (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                       errno == EOPNOTSUPP || errno == EPERM) {
                inKernel_ = false;
            } else if (errno != EINTR) {
                ThrowWriteError();
            }
        }
        while (count > 0)
            count -= ReadWrite(count);
    }

private:
    uint64_t ReadWrite(uint64_t count) {
        buffer_.resize(kCopyBlockSize);
        size_t want = size_t(std::min<uint64_t>(count, kCopyBlockSize));
        begin_(Side::Source);
        ptrdiff_t got = ReadSome(from_, buffer_.data(), want);
        if (got < 0 && errno == EINTR) return 0;
        if (got <= 0) ThrowReadError();
        begin_(Side::Target);
        for (ptrdiff_t done = 0; done < got;) {
            ptrdiff_t n = WriteSome(to_, buffer_.data() + done, size_t(got - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) ThrowWriteError();
            done += n;
        }
        return uint64_t(got);
    }

    int from_, to_;
    std::function<void(Side)> begin_;
    bool inKernel_ = true;
    std::vector<char> buffer_;
};

// The copy is written under a hidden name beside the target and takes the target's name
// only when it is complete, so a copy cut short by a crash or a kill never leaves a partial
// file under the real name. A stale one from such a copy is overwritten by the next copy.
std::string PartialCopyPath(const std::string& realTarget) {
    const size_t start = realTarget.rfind('/') + 1; // npos + 1 is 0
    // ".~" + name + ".part" stays within the 255 bytes a file name may have.
    return realTarget.substr(0, start) + ".~" + realTarget.substr(start, 240) + ".part";
}

void CloseOnce(int& fd) {
    if (fd >= 0) CloseFile(fd);
    fd = -1;
}

} // namespace

TBlockCopyJob::TBlockCopyJob(TCopyFiles files, CopyDurability durability, std::string sourcePlace,
                             std::string targetPlace)
    : files_(std::move(files)), durability_(durability), sourcePlace_(std::move(sourcePlace)),
      targetPlace_(std::move(targetPlace)) {}

TBlockCopyJob::~TBlockCopyJob() {
    CloseOnce(from_);
    CloseOnce(to_);
}

void TBlockCopyJob::Run(TDeadlineWorker::Clock& clock, void (TBlockCopyJob::*step)()) {
    clock_ = &clock;
    (this->*step)();
    clock_ = nullptr;
    clock.Finish();
}

void TBlockCopyJob::Begin(Side side, uint64_t bytes) {
    if (clock_)
        clock_->Begin(side == Side::Source ? sourcePlace_ : targetPlace_,
                      DeadlineForBytesMs(bytes));
}

template <class Change> void TBlockCopyJob::Publish(Change change) {
    {
        std::lock_guard lock(mutex_);
        change(state_);
    }
    changed_.notify_all();
    WakeEventWait();
}

bool TBlockCopyJob::Cancelled() {
    std::lock_guard lock(mutex_);
    return cancelled_;
}

bool TBlockCopyJob::Cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    return state_.copied;
}

TBlockCopyJob::State TBlockCopyJob::WaitSeen(const std::function<bool(const State&)>& reached,
                                             std::chrono::milliseconds patience) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, patience, [&] { return reached(state_); });
    return state_;
}

void TBlockCopyJob::Copy() {
    try {
        Begin(Side::Source);
        from_ = OpenRegularFile(files_.source, files_.gbSource);
        const std::optional<FileStatus> st = StatusOfOpen(from_);
        if (!st) ThrowOpenError(files_.gbSource, errno);
        const std::string& target = files_.target.Bytes();
        Begin(Side::Target);
        const std::optional<FileStatus> existing = StatusOf(files_.target);
        if (existing && existing->dev == st->dev && existing->ino == st->ino) {
            CloseOnce(from_); // emptying the target would empty the source
            return Publish([](State& s) { s.finished = true; });
        }
        partial_ = PartialCopyPath(target);
        FolderEntryChange creation{RealPath(partial_)};
        to_ = CreateEmptyFile(RealPath(partial_));
        if (to_ < 0) ThrowCreateError(files_.gbTarget, errno);
        creation.Added();
        created_ = StatusOfOpen(to_);
        const uint64_t size = st->size;
        Publish([size](State& s) {
            s.opened = true;
            s.size = size;
        });
        BlockPump pump(from_, to_, [this](Side side) { Begin(side, kCopyBlockSize); });
        const uint64_t blocks = size / kCopyBlockSize;
        for (uint64_t i = 0; i < blocks; ++i) {
            if (Cancelled()) return Discard();
            pump.Copy(kCopyBlockSize);
            Publish([i](State& s) { s.blocksDone = i + 1; });
        }
        if (Cancelled()) return Discard();
        pump.Copy(size % kCopyBlockSize);
        if (durability_ == CopyDurability::OnDisk) {
            Begin(Side::Target, size); // the cache may hold the whole file unwritten
            if (!FlushToDisk(to_)) ThrowWriteError();
            const std::optional<FileStatus> written = StatusOfOpen(to_);
            if (!written || written->size != size) ThrowWriteError();
        }
    } catch (...) {
        return Fail();
    }
    bool cancelled;
    {
        std::lock_guard lock(mutex_);
        cancelled = cancelled_;
        state_.copied = !cancelled;
    }
    if (cancelled) return Discard();
    Publish([](State&) {});
}

void TBlockCopyJob::Commit() {
    if (Cancelled()) return Discard(); // the command gave the copy up
    try {
        CloseOnce(from_);
        Begin(Side::Target, state_.size); // a share may write the file at its close
        const int to = to_;
        to_ = -1;
        if (!CloseFile(to)) ThrowWriteError();
        const std::string& target = files_.target.Bytes();
        FolderEntryChange left{RealPath(partial_)}, arrived{files_.target};
        if (!RenameEntry(RealPath(partial_), files_.target))
            ThrowCreateError(files_.gbTarget, errno);
        left.Removed();
        arrived.Added();
        if (durability_ == CopyDurability::OnDisk) SyncFolderOf(target);
    } catch (...) {
        return Fail();
    }
    Publish([](State& s) {
        s.committed = true;
        s.finished = true;
    });
}

void TBlockCopyJob::Fail() {
    {
        std::lock_guard lock(mutex_);
        state_.error = std::current_exception();
    }
    Discard();
}

// Removes what this copy created, and only that: never a device or a file that another
// program put under the name meanwhile.
void TBlockCopyJob::Discard() {
    CloseOnce(from_);
    CloseOnce(to_);
    if (!partial_.empty()) {
        Begin(Side::Target);
        FolderEntryChange removal{RealPath(partial_)};
        const auto unchanged = [&] {
            const std::optional<FileStatus> named = LinkStatusOf(RealPath(partial_));
            return named && named->dev == created_->dev && named->ino == created_->ino;
        };
        if (created_ && IsFileMode(created_->mode) && unchanged() && RemoveFile(RealPath(partial_)))
            removal.Removed();
        partial_.clear();
    }
    Publish([](State& s) { s.finished = true; });
}
