#include "fileops/BlockCopyFile.h"

#include "fileops/BlockCopyJob.h"
#include "fileops/FileHelpers.h"
#include "platform/fs/FileErrors.h"
#include "platform/text/GbText.h"

#include <memory>
#include <optional>

namespace {

using State = TBlockCopyJob::State;

QString BytesSuffix(uint64_t bytes) {
    return QStringLiteral("%  ") + QString::number(bytes);
}

// The UI thread's side of a copy: it follows the job on the command's worker, handling
// events while it waits. A call that misses the disk deadline marks the mount of the file it
// waits on as not answering and gives the copy up: the worker is abandoned, and the job
// removes its partial copy itself should the call ever return.
class CopyFollower {
public:
    CopyFollower(TDiskCalls& calls, std::shared_ptr<TBlockCopyJob> job)
        : calls_(calls), job_(std::move(job)) {}
    CopyFollower(const CopyFollower&) = delete;
    CopyFollower& operator=(const CopyFollower&) = delete;

    // The state once `reached` holds or the job finished; nothing when the wait was given up
    // (a call past the deadline) or, when `stoppable`, stopped by a break.
    std::optional<State> Until(const std::function<bool(const State&)>& reached, bool stoppable,
                               bool change = false) {
        auto ended = [&](const State& s) { return s.finished || reached(s); };
        // A local disk answers within microseconds: wait on the job alone for a moment.
        State seen = job_->WaitSeen(ended, std::chrono::milliseconds(2));
        if (ended(seen)) return Checked(seen);
        const WaitEnd end = calls_.WaitFor(
            [&] {
                seen = job_->WaitSeen(ended, std::chrono::milliseconds(0));
                return ended(seen);
            },
            stoppable, change);
        if (end == WaitEnd::Done) return Checked(seen);
        if (end == WaitEnd::Deadline) {
            abandoned_ = true;
            job_->Cancel();
            const std::string stuck = calls_.StuckPlace();
            calls_.Abandon();
            calls_.MarkPlaceNotAnswering(stuck);
        }
        return std::nullopt;
    }

    // Ends the copy short of its commit and waits until the partial copy is gone.
    void Discard() {
        if (abandoned_) return;
        if (job_->Cancel()) Post(&TBlockCopyJob::Discard);
        try {
            Until([](const State&) { return false; }, false);
        } catch (const EFileError&) {
            // A failure of the copy being given up changes nothing: its partial copy is gone.
        }
    }

    // The copy takes the target's name; true when it did. Waited for as a change: a commit
    // given up could still happen when the share answers.
    bool Commit() {
        Post(&TBlockCopyJob::Commit);
        std::optional<State> done = Until([](const State&) { return false; }, false, true);
        return done && done->committed;
    }

    // Runs the step on the command's worker, its calls timed by the worker's clock.
    void Post(void (TBlockCopyJob::*step)()) {
        calls_.Post([job = job_, step](TDeadlineWorker::Clock& clock) { job->Run(clock, step); });
    }

private:
    State Checked(const State& seen) {
        if (seen.error) {
            std::rethrow_exception(seen.error);
        }
        return seen;
    }

    TDiskCalls& calls_;
    std::shared_ptr<TBlockCopyJob> job_;
    bool abandoned_ = false; // its worker is stuck in a call: nothing more is posted for it
};

} // namespace

bool BlockCopyFile(const TCopyFiles& files, IShell& shell, TDiskCalls& calls,
                   CopyDurability durability) {
    IProgress& bar = shell.PB3();
    auto job =
        std::make_shared<TBlockCopyJob>(files, durability, calls.PlaceOfReal(files.source.Bytes()),
                                        calls.PlaceOfReal(files.target.Bytes()));
    CopyFollower follower(calls, job);
    follower.Post(&TBlockCopyJob::Copy);
    const std::optional<State> opened =
        follower.Until([](const State& s) { return s.opened; }, false);
    if (!opened || !opened->opened) return false; // no answer, or the target is the source
    const uint64_t blocks = opened->size / kCopyBlockSize;
    const uint64_t rest = opened->size % kCopyBlockSize;
    bool broken = false; // a break during a wait, or a call past the deadline
    try {
        bar.SetVisible(true);
        bar.SetMax(int(blocks + 1));
        for (uint64_t i = 0; i < blocks && !broken; ++i) {
            bar.SetPosition(int(i + 1));
            bar.SetSuffix(BytesSuffix((i + 1) * kCopyBlockSize));
            if (BreakFlag) break;
            const std::optional<State> copied =
                follower.Until([i](const State& s) { return s.blocksDone > i; }, true);
            if (!copied)
                broken = true;
            else
                shell.ProcessEvents();
        }
        bar.SetPosition(int(blocks + 1));
        if (!BreakFlag && !broken && rest > 0) bar.SetSuffix(BytesSuffix(opened->size));
        if (!BreakFlag && !broken)
            broken = !follower.Until([](const State& s) { return s.copied; }, true);
    } catch (...) {
        bar.SetVisible(false);
        follower.Discard(); // nothing to do when the job's own failure was thrown
        throw;
    }
    if (BreakFlag || broken) {
        bar.SetSuffix(QStringLiteral("%  正在关闭文件,稍等"));
        follower.Discard();
        bar.SetVisible(false);
        return false;
    }
    bar.SetVisible(false);
    bar.SetSuffix(QStringLiteral("%  正在写入文件,稍等"));
    return follower.Commit();
}
