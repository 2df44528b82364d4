#include "media/VideoWindow.h"

#include "media/GraphElements.h"

#include <gst/app/gstappsink.h>
#include <gst/video/video.h>

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

// The frameless top-level surface of full screen. Its input goes to the pane.
class TFullScreenView : public QWidget {
public:
    explicit TFullScreenView(TVideoWindow* pane)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), pane_(pane) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        TVideoWindow::PaintFrame(painter, rect(), pane_->CurrentFrame());
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override { pane_->mouseDoubleClickEvent(event); }

private:
    TVideoWindow* pane_;
};

TVideoWindow::TVideoWindow(QWidget* parent) : QWidget(parent) {
    resize(160, 120);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
}

TVideoWindow::~TVideoWindow() {
    delete fullView_;
    if (!graph_) return;
    graph_->SetActive(false); // the sink's callbacks refer to this pane
    graph_->RemoveFilter(this);
    graph_->RemoveListener(this);
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

GstElement* TVideoWindow::FilterAdding() {
    sink_ = gst_element_factory_make("appsink", kVideoFilterName);
    GstCaps* caps = gst_caps_from_string("video/x-raw,format=BGRx");
    g_object_set(sink_, "caps", caps, "max-buffers", 2, "drop", TRUE, "enable-last-sample", FALSE,
                 nullptr);
    gst_caps_unref(caps);
    g_signal_connect(sink_, "new-sample", G_CALLBACK(&TVideoWindow::NewSample), this);
    g_signal_connect(sink_, "new-preroll", G_CALLBACK(&TVideoWindow::NewPreroll), this);
    g_object_set(sink_, "emit-signals", TRUE, nullptr);
    return sink_;
}

void TVideoWindow::FilterRemoved() {
    sink_ = nullptr;
    ClearFrame();
}

GstFlowReturn TVideoWindow::NewSample(GstElement* sink, gpointer self) {
    if (GstSample* s = gst_app_sink_pull_sample(GST_APP_SINK(sink))) {
        static_cast<TVideoWindow*>(self)->TakeSample(s);
        gst_sample_unref(s);
    }
    return GST_FLOW_OK;
}

GstFlowReturn TVideoWindow::NewPreroll(GstElement* sink, gpointer self) {
    if (GstSample* s = gst_app_sink_pull_preroll(GST_APP_SINK(sink))) {
        static_cast<TVideoWindow*>(self)->TakeSample(s);
        gst_sample_unref(s);
    }
    return GST_FLOW_OK;
}

// Streaming thread: copies the frame and asks the UI thread to repaint.
void TVideoWindow::TakeSample(GstSample* sample) {
    GstVideoInfo info;
    if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) return;
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &info, gst_sample_get_buffer(sample), GST_MAP_READ)) return;
    QImage image(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                 GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                 GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32);
    QImage copy = image.copy();
    gst_video_frame_unmap(&frame);
    {
        std::lock_guard guard(frameLock_);
        frame_ = std::move(copy);
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
            update();
            if (fullView_) fullView_->update();
        },
        Qt::QueuedConnection);
}

QImage TVideoWindow::CurrentFrame() const {
    std::lock_guard guard(frameLock_);
    return frame_;
}

void TVideoWindow::ClearFrame() {
    {
        std::lock_guard guard(frameLock_);
        frame_ = QImage();
    }
    update();
    if (fullView_) fullView_->update();
}

void TVideoWindow::PaintFrame(QPainter& painter, const QRect& area, const QImage& frame) {
    painter.fillRect(area, Qt::black);
    if (frame.isNull()) return;
    QSize size = frame.size().scaled(area.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), size);
    target.moveCenter(area.center());
    painter.drawImage(target, frame);
}

void TVideoWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintFrame(painter, rect(), CurrentFrame());
}

void TVideoWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (OnDblClick) OnDblClick(this);
    event->accept();
}

void TVideoWindow::ControlEvent(TControlEvent event) {
    switch (event) {
    case TControlEvent::Play:
        if (VideoConnected()) ApplyFullScreen();
        break;
    case TControlEvent::Stop:
    case TControlEvent::RenderStart:
        ClearFrame();
        break;
    case TControlEvent::GraphReleased:
        ClearFrame();
        HideFullScreenView(); // FullScreen keeps its value for the next play
        break;
    default:
        break;
    }
}

bool TVideoWindow::VideoConnected() const {
    int w = 0, h = 0;
    return graph_ && graph_->VideoSize(w, h);
}

void TVideoWindow::SetFullScreen(bool on) {
    fullScreen_ = on;
    if (VideoConnected() || !on) ApplyFullScreen();
}

void TVideoWindow::ApplyFullScreen() {
    if (!fullScreen_) {
        HideFullScreenView();
        return;
    }
    if (!fullView_) fullView_ = new TFullScreenView(this);
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        fullView_->setGeometry(screen->geometry());
    fullView_->showFullScreen();
    fullView_->raise();
}

// Later deletion: the view may be inside its own double-click handler.
void TVideoWindow::HideFullScreenView() {
    if (!fullView_) return;
    fullView_->hide();
    fullView_->deleteLater();
    fullView_ = nullptr;
}

QWidget* TVideoWindow::FullScreenView() const {
    return fullView_;
}
