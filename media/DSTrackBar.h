// TDSTrackBar (PB): the seek bar. While the graph plays, a timer (TimerInterval ms) sets
// Max = duration div interval and Position = position div interval and reports the
// position through OnTimer. Pressing the left button stops the following; releasing it
// seeks to stop position x Position div Max. A new file being opened sets it back to zero.
#pragma once

#include "media/FilterGraph.h"

#include <QPointer>
#include <QSlider>
#include <QTimer>
#include <functional>

class TDSTrackBar : public QSlider, public IGraphListener {
    Q_OBJECT
public:
    explicit TDSTrackBar(QWidget* parent = nullptr);
    ~TDSTrackBar() override;

    void SetFilterGraph(TFilterGraph* graph);
    unsigned TimerInterval() const { return interval_; }
    void SetTimerInterval(unsigned ms);
    bool TimerRunning() const { return timer_.isActive(); }

    std::function<void(TDSTrackBar* sender, unsigned currentPos, unsigned stopPos)> OnTimer;

    // One tick of the timer (public so that the window can show the position at once).
    void Tick();

    // IGraphListener
    void ControlEvent(TControlEvent event) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SwitchTimer(bool on);

    QPointer<TFilterGraph> graph_;
    QTimer timer_;
    unsigned interval_ = 1000;
    bool timerOn_ = false;
    bool mouseDown_ = false;
};
