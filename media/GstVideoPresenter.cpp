#include "media/GstVideoPresenter.h"

#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

#include <QByteArray>
#include <QGuiApplication>
#include <cstdio>

namespace {

constexpr const char* kSizeFilterName = "size";

const char* SinkName(TVideoPresenter presenter) {
    switch (presenter) {
    case TVideoPresenter::XvImage:
        return "xvimagesink";
    case TVideoPresenter::XImage:
        return "ximagesink";
    default:
        return "appsink";
    }
}

// Whether the X server has an XVideo adaptor that takes what the decoders give (planar
// 4:2:0, the output of the H.264, MPEG and VP decoders): the sink opens one at READY.
bool XvTakesDecodedFormat() {
    GstElement* sink = gst_element_factory_make("xvimagesink", nullptr);
    if (!sink) return false;
    gst_object_ref_sink(sink);
    bool takes = false;
    if (gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS) {
        GstPad* pad = gst_element_get_static_pad(sink, "sink");
        GstCaps* offered = gst_pad_query_caps(pad, nullptr);
        GstCaps* decoded = gst_caps_from_string("video/x-raw,format={I420,YV12,NV12}");
        takes = gst_caps_can_intersect(offered, decoded);
        gst_caps_unref(decoded);
        gst_caps_unref(offered);
        gst_object_unref(pad);
    }
    gst_element_set_state(sink, GST_STATE_NULL);
    gst_object_unref(sink);
    return takes;
}

bool HasFactory(const char* name) {
    GstElementFactory* factory = gst_element_factory_find(name);
    if (factory) gst_object_unref(factory);
    return factory != nullptr;
}

// The overlay sink of every presenter the platform can take, best first: a native window
// of the toolkit is an X window only on the xcb platform.
TVideoPresenter Choose(const QByteArray& forced, const char*& why) {
    if (forced == "appsink") {
        why = "forced";
        return TVideoPresenter::Painter;
    }
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        why = "no X11 window to draw into";
        return TVideoPresenter::Painter;
    }
    if (forced == "xvimagesink" || forced == "ximagesink") {
        why = "forced";
        return forced == "xvimagesink" ? TVideoPresenter::XvImage : TVideoPresenter::XImage;
    }
    if (XvTakesDecodedFormat()) {
        why = "an XVideo adaptor takes the decoded format";
        return TVideoPresenter::XvImage;
    }
    if (HasFactory("ximagesink")) {
        why = "no XVideo adaptor takes the decoded format";
        return TVideoPresenter::XImage;
    }
    why = "no X11 video sink installed";
    return TVideoPresenter::Painter;
}

// The element inside the sink that draws into the window (held: the caller unrefs it).
GstElement* OverlayElement(GstElement* sink) {
    if (GST_IS_VIDEO_OVERLAY(sink)) return GST_ELEMENT(gst_object_ref(sink));
    if (GST_IS_BIN(sink)) return gst_bin_get_by_interface(GST_BIN(sink), GST_TYPE_VIDEO_OVERLAY);
    return nullptr;
}

} // namespace

TVideoPresenter ChosenVideoPresenter() {
    static const TVideoPresenter chosen = [] {
        if (!gst_is_initialized()) gst_init(nullptr, nullptr);
        const char* why = "";
        const TVideoPresenter presenter = Choose(qgetenv("TAVLORA_VIDEO_SINK"), why);
        std::fprintf(stderr, "tavlora: video through %s (%s)\n", SinkName(presenter), why);
        return presenter;
    }();
    return chosen;
}

GstElement* MakeOverlaySink(TVideoPresenter presenter, const char* name, guintptr window) {
    GstElement* draw = gst_element_factory_make(SinkName(presenter), nullptr);
    if (!draw) return nullptr;
    // The toolkit keeps the window's input (a double click, Esc); every paint exposes.
    g_object_set(draw, "handle-events", FALSE, "force-aspect-ratio", TRUE, nullptr);
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(draw), window);
    if (presenter != TVideoPresenter::XImage) {
        gst_object_set_name(GST_OBJECT(draw), name);
        return draw;
    }
    // The pictures come at the size that the filter holds, with square pixels: the screen's
    // own ratio from its size in millimetres would make the filter's size fail to negotiate.
    gst_util_set_object_arg(G_OBJECT(draw), "pixel-aspect-ratio", "1/1");
    GstElement* bin = gst_bin_new(name);
    GstElement* size = gst_element_factory_make("capsfilter", kSizeFilterName);
    gst_bin_add_many(GST_BIN(bin), size, draw, nullptr);
    gst_element_link(size, draw);
    GstPad* pad = gst_element_get_static_pad(size, "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", pad));
    gst_object_unref(pad);
    return bin;
}

void BindOverlay(GstElement* sink, guintptr window) {
    if (GstElement* draw = OverlayElement(sink)) {
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(draw), window);
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(draw));
        gst_object_unref(draw);
    }
}

void ExposeOverlay(GstElement* sink) {
    if (GstElement* draw = OverlayElement(sink)) {
        gst_video_overlay_expose(GST_VIDEO_OVERLAY(draw));
        gst_object_unref(draw);
    }
}

bool SetOverlayFrameSize(GstElement* sink, QSize size) {
    if (!GST_IS_BIN(sink)) return false;
    GstElement* filter = gst_bin_get_by_name(GST_BIN(sink), kSizeFilterName);
    if (!filter) return false;
    GstCaps* caps = gst_caps_new_empty_simple("video/x-raw");
    if (!size.isEmpty())
        gst_caps_set_simple(caps, "width", G_TYPE_INT, size.width(), "height", G_TYPE_INT,
                            size.height(), "pixel-aspect-ratio", GST_TYPE_FRACTION, 1, 1, nullptr);
    GstCaps* held = nullptr;
    g_object_get(filter, "caps", &held, nullptr);
    const bool changed = !held || !gst_caps_is_equal(held, caps);
    if (changed) {
        g_object_set(filter, "caps", caps, nullptr);
        GstPad* pad = gst_element_get_static_pad(filter, "sink");
        gst_pad_push_event(pad, gst_event_new_reconfigure());
        gst_object_unref(pad);
    }
    if (held) gst_caps_unref(held);
    gst_caps_unref(caps);
    gst_object_unref(filter);
    return changed;
}

QImage OverlayFrame(GstElement* sink) {
    GstElement* draw = OverlayElement(sink);
    if (!draw) return {};
    GstSample* shown = nullptr;
    g_object_get(draw, "last-sample", &shown, nullptr);
    gst_object_unref(draw);
    if (!shown) return {};
    GstCaps* bgrx = gst_caps_from_string("video/x-raw,format=BGRx");
    GstSample* converted = gst_video_convert_sample(shown, bgrx, GST_SECOND, nullptr);
    gst_caps_unref(bgrx);
    gst_sample_unref(shown);
    if (!converted) return {};
    QImage image;
    GstVideoInfo info;
    GstVideoFrame frame;
    if (gst_video_info_from_caps(&info, gst_sample_get_caps(converted)) &&
        gst_video_frame_map(&frame, &info, gst_sample_get_buffer(converted), GST_MAP_READ)) {
        image = QImage(static_cast<const uchar*>(GST_VIDEO_FRAME_PLANE_DATA(&frame, 0)),
                       GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                       GST_VIDEO_FRAME_PLANE_STRIDE(&frame, 0), QImage::Format_RGB32)
                    .copy();
        gst_video_frame_unmap(&frame);
    }
    gst_sample_unref(converted);
    return image;
}
