// TVideoWindow (VW): the video pane. It contributes the graph's video output (an appsink
// named "VW" taking BGRx frames) and paints the latest frame at its display aspect (the
// pixel aspect ratio of the stream applied), scaled smoothly with black bars; black when
// nothing plays. While a film plays, the sink asks for frames at the size in device pixels
// of the surface that shows them (the pane or the full-screen view), so that the graph's own
// converters scale them on the streaming thread and the painter only copies them. Where the
// display offers its own sink (VideoPresenter.h), the pane and the full-screen view are native
// windows into which that sink draws instead, and the painter stays out of the way. FullScreen
// shows the playing video over the whole screen; input there reaches the pane's handlers, and
// Esc leaves it.
#pragma once

#include "media/FilterGraph.h"
#include "platform/threads/HandOver.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <mutex>

class TFullScreenView;
enum class TVideoPresenter : int;
template <class T> class TCallbackLink;

class TVideoWindow : public QWidget, public IGraphFilter, public IGraphListener {
    Q_OBJECT
public:
    explicit TVideoWindow(QWidget* parent = nullptr);
    ~TVideoWindow() override;

    void SetFilterGraph(TFilterGraph* graph);

    bool FullScreen() const { return fullScreen_; }
    // Kept in every case; applied now while a film plays, else at the next play. A probe of
    // the analysis never shows full screen, and stopping ends it.
    void SetFullScreen(bool on);
    // The full-screen surface while it shows, else nullptr.
    QWidget* FullScreenView() const;

    // The frame now shown (null when black).
    QImage CurrentFrame() const;

    std::function<void(TVideoWindow* sender)> OnDblClick;

    // IGraphFilter
    Place FilterPlace() const override { return Place::VideoRenderer; }
    TMediaElement* FilterAdding() override;
    void FilterRemoved() override;
    // IGraphListener
    void ControlEvent(TControlEvent event) override;

    // Paints the frame into the rectangle at the display shape, black around it.
    static void PaintFrame(QPainter& painter, const QRect& area, const QImage& frame,
                           QSize displaySize);

protected:
    QPaintEngine* paintEngine() const override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    friend class TFullScreenView;
    using SinkLink = TCallbackLink<TVideoWindow>;
    struct Sink; // the appsink's callbacks and the overlay calls (VideoWindow.cpp)
    void ClearFrame();
    void AskFrameSize();
    void SetSinkSize(QSize size);
    void ScheduleFrameSize();
    void Paint(QWidget* surface);
    bool Overlay() const;
    QWidget* Surface();
    void ShowOverlay(bool on);
    void BindSurface();
    void ApplyFullScreen();
    void HideFullScreenView();
    bool FilmPlaying() const;

    QPointer<TFilterGraph> graph_;
    TMediaElement* sink_ = nullptr;
    std::shared_ptr<SinkLink> sinkLink_; // the sink's callbacks to this pane
    THandOver repaint_;                  // the streaming thread's requests to repaint
    mutable std::mutex frameLock_;
    QImage frame_;
    QSize displaySize_;
    QSize sinkSize_;        // the frame size the sink asks for; empty: the stream's own
    QTimer frameSizeTimer_; // a few renegotiations a second while a surface is resized
    TVideoPresenter presenter_;
    bool overlayShown_ = false; // the display's sink draws into the surface, not the painter
    bool running_ = false;      // the film plays (a still picture is not made again by a seek)
    bool fullScreen_ = false;
    TFullScreenView* fullView_ = nullptr;
};
