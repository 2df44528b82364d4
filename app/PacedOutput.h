// The bars and the history log of the window while a long loop runs paced: they take the
// loop's latest values at most once per interval (at a bar change, a history line or an event
// turn), and always at Flush; the history lines of an interval go to the log in one step, in
// their order. A synchronous repaint of a bar, or a line appended to the log, costs more than
// renaming a file, so showing every change of a loop over a thousand files would dominate it.
#pragma once

#include "platform/ui/Shell.h"

#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

class PacedOutput {
public:
    static constexpr int64_t kDefaultIntervalNs = 40'000'000;
    using LinesSink = std::function<void(const QStringList&)>;

    // addLines appends lines to the log as AddHistory one by one would.
    PacedOutput(IProgress& pb2, IProgress& pb3, LinesSink addLines,
                int64_t intervalNs = kDefaultIntervalNs);
    PacedOutput(const PacedOutput&) = delete;
    PacedOutput& operator=(const PacedOutput&) = delete;

    IProgress& PB2() { return pb2_; }
    IProgress& PB3() { return pb3_; }
    void AddHistoryLines(const QStringList& lines);
    // The log is being emptied: the waiting lines would go with it.
    void DropHistory() { history_.clear(); }

    // Hands the waiting lines and the latest values of both bars over now.
    void Flush();
    void FlushWhenDue();
    // Before the window processes events: a bar that is to appear or disappear does so at
    // once (the event turn paints it anyway); other changes when due.
    void FlushBeforeEvents();

private:
    // Keeps what the loop set since the last hand-over.
    class PacedProgress : public IProgress {
    public:
        PacedProgress(PacedOutput& owner, IProgress& bar) : owner_(owner), bar_(bar) {}
        void SetMax(int max) override;
        void SetPosition(int position) override;
        void SetSuffix(const QString& suffix) override;
        void SetVisible(bool visible) override;
        void Flush();
        // Shown or hidden since the last hand-over, and not back as it was.
        bool VisibilityChanging() const { return visible_ && visible_ != shown_; }

    private:
        PacedOutput& owner_;
        IProgress& bar_;
        std::optional<bool> shown_; // as last handed to the bar
        std::optional<int> max_, position_;
        std::optional<QString> suffix_;
        std::optional<bool> visible_;
    };

    LinesSink addLines_;
    const int64_t interval_;
    int64_t lastFlush_ = 0;
    bool flushed_ = false;
    QStringList history_; // lines not yet in the log
    PacedProgress pb2_, pb3_;
};
