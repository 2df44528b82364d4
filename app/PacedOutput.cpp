#include "app/PacedOutput.h"

#include "platform/threads/Clock.h"

PacedOutput::PacedOutput(IProgress& pb2, IProgress& pb3, LinesSink addLines, int64_t intervalNs)
    : addLines_(std::move(addLines)), interval_(intervalNs), pb2_(*this, pb2), pb3_(*this, pb3) {}

void PacedOutput::AddHistoryLines(const QStringList& lines) {
    history_ << lines;
    FlushWhenDue();
}

void PacedOutput::Flush() {
    flushed_ = true;
    lastFlush_ = CounterNow();
    if (!history_.isEmpty()) {
        addLines_(history_);
        history_.clear();
    }
    pb2_.Flush();
    pb3_.Flush();
}

void PacedOutput::FlushWhenDue() {
    if (flushed_ && CounterNow() - lastFlush_ < interval_) return;
    Flush();
}

void PacedOutput::FlushBeforeEvents() {
    if (pb2_.VisibilityChanging() || pb3_.VisibilityChanging())
        Flush();
    else
        FlushWhenDue();
}

void PacedOutput::PacedProgress::SetMax(int max) {
    max_ = max;
    owner_.FlushWhenDue();
}

void PacedOutput::PacedProgress::SetPosition(int position) {
    position_ = position;
    owner_.FlushWhenDue();
}

void PacedOutput::PacedProgress::SetSuffix(const QString& suffix) {
    suffix_ = suffix;
    owner_.FlushWhenDue();
}

void PacedOutput::PacedProgress::SetVisible(bool visible) {
    visible_ = visible;
    owner_.FlushWhenDue();
}

// The range before the position (a bar refuses a position outside its range), and a bar that
// ends hidden is hidden first, so that it does not paint values nobody will see.
void PacedOutput::PacedProgress::Flush() {
    if (visible_ == false) bar_.SetVisible(false);
    if (max_) bar_.SetMax(*max_);
    if (position_) bar_.SetPosition(*position_);
    if (suffix_) bar_.SetSuffix(*suffix_);
    if (visible_ == true) bar_.SetVisible(true);
    if (visible_) shown_ = visible_;
    max_.reset();
    position_.reset();
    suffix_.reset();
    visible_.reset();
}
