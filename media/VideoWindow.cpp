#include "media/VideoWindow.h"

#include "media/GstCallbackLink.h"
#include "media/GstGraph.h"
#include "media/GstGraphElements.h"
#include "media/GstVideoPresenter.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>

// The frameless top-level surface of full screen. A double click goes to the pane's
// handler; Esc leaves full screen. Its class name gives it its role for screen readers.
class TFullScreenView : public QWidget {
    Q_OBJECT
public:
    explicit TFullScreenView(TVideoWindow* pane)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), pane_(pane) {
        setAccessibleName(QStringLiteral("全屏视频"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        // Shown only while a film is open: the display's sink draws it all.
        setAttribute(Qt::WA_PaintOnScreen, pane->Overlay());
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    QPaintEngine* paintEngine() const override {
        return testAttribute(Qt::WA_PaintOnScreen) ? nullptr : QWidget::paintEngine();
    }
    void paintEvent(QPaintEvent*) override { pane_->Paint(this); }
    void resizeEvent(QResizeEvent*) override { pane_->ScheduleFrameSize(); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { pane_->mouseDoubleClickEvent(event); }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() != Qt::Key_Escape) return QWidget::keyPressEvent(event);
        pane_->SetFullScreen(false);
        event->accept();
    }

private:
    TVideoWindow* pane_;
};

TVideoWindow::TVideoWindow(QWidget* parent)
    : QWidget(parent), repaint_(this), presenter_(ChosenVideoPresenter()) {
    resize(160, 120);
    if (Overlay()) {
        // A window of its own for the sink to draw into; the window around it stays as it is.
        setAttribute(Qt::WA_DontCreateNativeAncestors);
        setAttribute(Qt::WA_NativeWindow);
    }
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
    frameSizeTimer_.setSingleShot(true);
    connect(&frameSizeTimer_, &QTimer::timeout, this, &TVideoWindow::AskFrameSize);
}

TVideoWindow::~TVideoWindow() {
    delete fullView_;
    if (graph_) {
        graph_->SetActive(false); // the sink's callbacks refer to this pane
        graph_->RemoveFilter(this);
        graph_->RemoveListener(this);
    }
    repaint_.Close();
}

void TVideoWindow::SetFilterGraph(TFilterGraph* graph) {
    if (graph_) {
        graph_->RemoveFilter(this);
        graph_->RemoveListener(this);
    }
    graph_ = graph;
    if (graph_) {
        graph_->AddFilter(this);
        graph_->AddListener(this);
    }
}

namespace {
constexpr const char* kFrameCaps = "video/x-raw,format=BGRx";
} // namespace

// The appsink's callbacks, on the streaming thread.
struct TVideoWindow::Sink {
    static GstFlowReturn NewSample(GstElement* sink, gpointer link);
    static GstFlowReturn NewPreroll(GstElement* sink, gpointer link);
    static void Take(TVideoWindow& pane, GstSample* sample);
};

TMediaElement* TVideoWindow::FilterAdding() {
    sinkSize_ = QSize();
    if (Overlay()) {
        sink_ = MediaElementOf(MakeOverlaySink(presenter_, kVideoFilterName, Surface()->winId()));
        AskFrameSize();
        return sink_;
    }
    GstElement* sink = gst_element_factory_make("appsink", kVideoFilterName);
    sink_ = MediaElementOf(sink);
    GstCaps* caps = gst_caps_from_string(kFrameCaps);
    // Like the desktop's video sinks: a frame more than 20 ms late is dropped, and the decoder
    // told to skip ahead, so that a machine short of time keeps to the clock.
    g_object_set(sink, "caps", caps, "max-buffers", 2, "drop", TRUE, "enable-last-sample", FALSE,
                 "qos", TRUE, "max-lateness", gint64(20 * GST_MSECOND), nullptr);
    gst_caps_unref(caps);
    sinkLink_ = std::make_shared<SinkLink>(this);
    g_signal_connect_data(sink, "new-sample", G_CALLBACK(&Sink::NewSample),
                          SinkLink::Hold(sinkLink_), &SinkLink::ReleaseClosure, GConnectFlags(0));
    g_signal_connect_data(sink, "new-preroll", G_CALLBACK(&Sink::NewPreroll),
                          SinkLink::Hold(sinkLink_), &SinkLink::ReleaseClosure, GConnectFlags(0));
    g_object_set(sink, "emit-signals", TRUE, nullptr);
    return sink_;
}

void TVideoWindow::FilterRemoved() {
    if (sinkLink_) sinkLink_->Cut();
    sinkLink_.reset();
    sink_ = nullptr;
    ClearFrame();
}

GstFlowReturn TVideoWindow::Sink::NewSample(GstElement* sink, gpointer link) {
    if (GstSample* s = gst_app_sink_pull_sample(GST_APP_SINK(sink))) {
        SinkLink::Of(link)->With([s](TVideoWindow& pane) { Take(pane, s); });
        gst_sample_unref(s);
    }
    return GST_FLOW_OK;
}

GstFlowReturn TVideoWindow::Sink::NewPreroll(GstElement* sink, gpointer link) {
    if (GstSample* s = gst_app_sink_pull_preroll(GST_APP_SINK(sink))) {
        SinkLink::Of(link)->With([s](TVideoWindow& pane) { Take(pane, s); });
        gst_sample_unref(s);
    }
    return GST_FLOW_OK;
}

namespace {
// A sample kept, mapped, for as long as an image of it is in use.
struct HeldFrame {
    GstVideoFrame frame;
    GstSample* sample;
};
void ReleaseHeldFrame(void* held) {
    auto* h = static_cast<HeldFrame*>(held);
    gst_video_frame_unmap(&h->frame);
    gst_sample_unref(h->sample);
    delete h;
}
} // namespace

// Streaming thread: keeps the sample as the frame to paint (no copy) and asks the UI thread
// to repaint.
void TVideoWindow::Sink::Take(TVideoWindow& pane, GstSample* sample) {
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) return;
    auto* held = new HeldFrame{{}, sample};
    if (!gst_video_frame_map(&held->frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) {
        delete held;
        return;
    }
    gst_sample_ref(sample);
    const int width = GST_VIDEO_FRAME_WIDTH(&held->frame);
    const int height = GST_VIDEO_FRAME_HEIGHT(&held->frame);
    // Read-only: the image reads the buffer in place, and its last copy lets the sample go.
    QImage image(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&held->frame, 0)), width,
                 height, GST_VIDEO_FRAME_PLANE_STRIDE(&held->frame, 0), QImage::Format_RGB32,
                 &ReleaseHeldFrame, held);
    // Anamorphic streams (DVD, MPEG, many MKV) store non-square pixels: the display shape
    // keeps the height and widens or narrows the width to the display aspect ratio.
    QSize display(width, height);
    guint darN = 0, darD = 0;
    if (gst_video_calculate_display_ratio(&darN, &darD, guint(width), guint(height),
                                          guint(GST_VIDEO_INFO_PAR_N(&info)),
                                          guint(GST_VIDEO_INFO_PAR_D(&info)), 1, 1) &&
        darN > 0 && darD > 0)
        display.setWidth(int(int64_t(height) * darN / darD));
    {
        std::lock_guard guard(pane.frameLock_);
        std::swap(pane.frame_, image); // the previous frame goes outside the lock
        pane.displaySize_ = display;
    }
    // The pane under the full-screen view is not painted meanwhile: a 4K frame scaled down
    // for a surface nobody sees costs as much as the frame shown. It is painted on the way back.
    pane.repaint_.Post([&pane] {
        if (pane.fullView_)
            pane.fullView_->update();
        else
            pane.update();
    });
}

QImage TVideoWindow::CurrentFrame() const {
    if (Overlay()) return overlayShown_ && sink_ ? OverlayFrame(GstElementOf(sink_)) : QImage();
    std::lock_guard guard(frameLock_);
    return frame_;
}

void TVideoWindow::ClearFrame() {
    {
        std::lock_guard guard(frameLock_);
        frame_ = QImage();
        displaySize_ = QSize();
    }
    update();
    if (fullView_) fullView_->update();
}

void TVideoWindow::PaintFrame(QPainter& painter, const QRect& area, const QImage& frame,
                              QSize displaySize) {
    if (frame.isNull()) {
        painter.fillRect(area, Qt::black);
        return;
    }
    if (displaySize.isEmpty()) displaySize = frame.size();
    QRect target(QPoint(0, 0), displaySize.scaled(area.size(), Qt::KeepAspectRatio));
    target.moveCenter(area.center());
    // Only the bars beside the picture are filled: filling the whole surface under each
    // frame writes as many bytes as the frame itself.
    for (const QRect& bar : QRegion(area).subtracted(target))
        painter.fillRect(bar, Qt::black);
    // Bilinear: the default nearest-neighbour scaling looks blocky when enlarged.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, frame);
}

// The pane and the full-screen view paint the same frame and shape. Where the display's sink
// draws, a paint has it draw its last picture again (a still picture after a repaint).
void TVideoWindow::Paint(QWidget* surface) {
    if (overlayShown_) return ExposeOverlay(GstElementOf(sink_));
    if (surface->testAttribute(Qt::WA_PaintOnScreen)) return; // drawn by the sink
    QImage frame;
    QSize display;
    {
        std::lock_guard guard(frameLock_);
        frame = frame_;
        display = displaySize_;
    }
    QPainter painter(surface);
    PaintFrame(painter, surface->rect(), frame, display);
}

QPaintEngine* TVideoWindow::paintEngine() const {
    return testAttribute(Qt::WA_PaintOnScreen) ? nullptr : QWidget::paintEngine();
}

void TVideoWindow::paintEvent(QPaintEvent*) {
    Paint(this);
}

bool TVideoWindow::Overlay() const {
    return presenter_ != TVideoPresenter::Painter;
}

QWidget* TVideoWindow::Surface() {
    return fullView_ ? static_cast<QWidget*>(fullView_) : this;
}

// While the sink holds a played file's picture, the toolkit leaves the pane's window to it
// (painting there would draw over the picture); otherwise the pane paints itself black.
void TVideoWindow::ShowOverlay(bool on) {
    if (!Overlay()) return;
    overlayShown_ = on && sink_;
    setAttribute(Qt::WA_PaintOnScreen, overlayShown_);
    update();
}

// The sink draws into the surface that shows now, at its size.
void TVideoWindow::BindSurface() {
    if (!Overlay() || !sink_) return;
    BindOverlay(GstElementOf(sink_), Surface()->winId());
    AskFrameSize();
}

void TVideoWindow::resizeEvent(QResizeEvent*) {
    ScheduleFrameSize();
}

void TVideoWindow::ScheduleFrameSize() {
    if (sink_ && !frameSizeTimer_.isActive()) frameSizeTimer_.start(200);
}

// The device-pixel size of the surface that shows a playing film (the display's sink draws
// only films); with the painter, a probe and a graph without a film take the stream's size.
void TVideoWindow::AskFrameSize() {
    QSize size;
    if (Overlay() || FilmPlaying()) {
        const QWidget* surface = Surface();
        size = surface->size() * surface->devicePixelRatioF();
    }
    SetSinkSize(size);
}

// The sink's caps carry the size with square pixels, so the converters before it scale the
// picture and add the black bars of its display aspect; they negotiate again at the next frame.
void TVideoWindow::SetSinkSize(QSize size) {
    if (!sink_ || size == sinkSize_) return;
    sinkSize_ = size;
    GstElement* sink = GstElementOf(sink_);
    if (Overlay()) {
        // A paused graph sends no new picture by itself: the still one is made again at the
        // new size by a seek to where it stands.
        int64_t at = 0;
        if (SetOverlayFrameSize(sink, size) && overlayShown_ && !running_ &&
            graph_->QueryPositionMs(at))
            graph_->SeekMs(at);
        return;
    }
    GstCaps* caps = gst_caps_from_string(kFrameCaps);
    if (!size.isEmpty())
        gst_caps_set_simple(caps, "width", G_TYPE_INT, size.width(), "height", G_TYPE_INT,
                            size.height(), "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
    g_object_set(sink, "caps", caps, nullptr);
    gst_caps_unref(caps);
    GstPad* pad = gst_element_get_static_pad(sink, "sink");
    gst_pad_push_event(pad, gst_event_new_reconfigure());
    gst_object_unref(pad);
}

void TVideoWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (OnDblClick) OnDblClick(this);
    event->accept();
}

void TVideoWindow::ControlEvent(TControlEvent event) {
    switch (event) {
    case TControlEvent::Play:
        running_ = true;
        if (FilmPlaying()) ApplyFullScreen();
        AskFrameSize();
        break;
    case TControlEvent::Pause:
        running_ = false;
        break;
    case TControlEvent::Stop:
    case TControlEvent::GraphReleased:
        running_ = false;
        ClearFrame();
        ShowOverlay(false);   // before the pane is bound again: no still picture to make
        HideFullScreenView(); // FullScreen keeps its value for the next play
        break;
    case TControlEvent::RenderStart:
        running_ = false;
        ClearFrame();
        ShowOverlay(false);
        if (!Overlay()) SetSinkSize(QSize()); // a probe gets no scaler
        break;
    case TControlEvent::RenderDone:
        ShowOverlay(FilmPlaying());
        break;
    default:
        break;
    }
}

// A file with video opened to be played (not probed) is in the graph.
bool TVideoWindow::FilmPlaying() const {
    int w = 0, h = 0;
    return graph_ && !graph_->Probing() && graph_->VideoSize(w, h);
}

void TVideoWindow::SetFullScreen(bool on) {
    fullScreen_ = on;
    if (FilmPlaying() || !on) ApplyFullScreen();
}

void TVideoWindow::ApplyFullScreen() {
    if (!fullScreen_) {
        HideFullScreenView();
        AskFrameSize();
        return;
    }
    if (!fullView_) fullView_ = new TFullScreenView(this);
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        fullView_->setGeometry(screen->geometry());
    fullView_->showFullScreen();
    fullView_->raise();
    fullView_->activateWindow(); // for Esc
    BindSurface();
    AskFrameSize();
}

// Later deletion: the view may be inside its own double-click handler.
void TVideoWindow::HideFullScreenView() {
    if (!fullView_) return;
    fullView_->hide();
    fullView_->deleteLater();
    fullView_ = nullptr;
    BindSurface(); // the view's window goes with it
    update();
}

QWidget* TVideoWindow::FullScreenView() const {
    return fullView_;
}

#include "VideoWindow.moc"
