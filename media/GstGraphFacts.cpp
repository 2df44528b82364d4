#include "media/GstGraphFacts.h"

#include "media/Discover.h"
#include "media/MpegAudioFrames.h"

GstElement* MakePlaybin(const char* name) {
    GstElement* playbin = gst_element_factory_make("playbin", name);
    if (!playbin) return nullptr;
    gst_object_ref_sink(playbin);
    constexpr guint kPlayText = 1 << 2, kPlaySoftColourBalance = 1 << 10;
    guint flags = 0;
    g_object_get(playbin, "flags", &flags, nullptr);
    g_object_set(playbin, "flags", flags & ~(kPlayText | kPlaySoftColourBalance), nullptr);
    return playbin;
}

GstElement* MakeFakeVideoSink() {
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

bool PlaybinVideoSize(GstElement* playbin, int& width, int& height) {
    width = height = 0;
    GstPad* pad = nullptr;
    g_signal_emit_by_name(playbin, "get-video-pad", 0, &pad);
    if (!pad) return false;
    bool ok = false;
    if (GstCaps* caps = gst_pad_get_current_caps(pad)) {
        GstStructure* s = gst_caps_get_structure(caps, 0);
        ok = gst_structure_get_int(s, "width", &width) &&
             gst_structure_get_int(s, "height", &height);
        if (!ok) width = height = 0;
        gst_caps_unref(caps);
    }
    gst_object_unref(pad);
    return ok;
}

int PlaybinDurationMs(GstElement* playbin) {
    gint64 d = 0;
    return gst_element_query_duration(playbin, GST_FORMAT_TIME, &d) && d >= 0 ? int(d / GST_MSECOND)
                                                                              : -1;
}

int FileDurationMs(const std::string& path, const std::string& uri) {
    const int64_t counted = MpegAudioDurationMs(path);
    return int(counted >= 0 ? counted : DiscoverDurationMs(uri, 5000));
}
