#include "media/DSTrackBar.h"

#include <QMouseEvent>

TDSTrackBar::TDSTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setTickPosition(QSlider::NoTicks);
    setRange(0, 0);
    connect(&timer_, &QTimer::timeout, this, &TDSTrackBar::Tick);
}

TDSTrackBar::~TDSTrackBar() {
    if (graph_) graph_->RemoveListener(this);
}

void TDSTrackBar::SetFilterGraph(TFilterGraph* graph) {
    if (graph_) graph_->RemoveListener(this);
    graph_ = graph;
    if (graph_) graph_->AddListener(this);
}

void TDSTrackBar::SetTimerInterval(unsigned ms) {
    interval_ = ms;
    SwitchTimer(timerOn_);
}

void TDSTrackBar::SwitchTimer(bool on) {
    timerOn_ = on;
    timer_.stop();
    if (interval_ > 0 && on) timer_.start(int(interval_));
}

void TDSTrackBar::ControlEvent(TControlEvent event) {
    switch (event) {
    case TControlEvent::Play:
        if (isEnabled()) SwitchTimer(true);
        break;
    case TControlEvent::RenderStart:
        // The graph no longer holds the last file: whatever becomes of the new one, the bar
        // starts again from zero.
        setRange(0, 0);
        break;
    case TControlEvent::Pause:
    case TControlEvent::Stop:
    case TControlEvent::GraphReleased:
        SwitchTimer(false);
        break;
    default:
        break;
    }
}

void TDSTrackBar::Tick() {
    if (!graph_ || !graph_->Active() || mouseDown_ || interval_ == 0) return;
    int64_t d = 0, c = 0;
    if (!graph_->QueryDurationMs(d) || !graph_->QueryPositionMs(c)) return;
    setMinimum(0);
    setMaximum(int(d / interval_));
    setValue(int(c / interval_));
    if (OnTimer) OnTimer(this, unsigned(c), unsigned(d));
}

void TDSTrackBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) mouseDown_ = true;
    QSlider::mousePressEvent(event);
}

void TDSTrackBar::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    int64_t stop = 0;
    if (event->button() == Qt::LeftButton && graph_ && maximum() > 0 &&
        graph_->StopPositionMs(stop))
        graph_->SeekMs(stop * value() / maximum());
    mouseDown_ = false;
}
