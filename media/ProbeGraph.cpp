#include "media/ProbeGraph.h"

#include "media/GstGraphFacts.h"
#include "media/MediaAnalysis.h"

namespace {

// Like the player's graph: an error posted, or no preroll within the bound, is a failure.
bool Preroll(GstElement* graph, int timeoutMs) {
    const GstStateChangeReturn change = gst_element_set_state(graph, GST_STATE_PAUSED);
    if (change == GST_STATE_CHANGE_FAILURE) return false;
    GstBus* bus = gst_element_get_bus(graph);
    bool done = change != GST_STATE_CHANGE_ASYNC, failed = false;
    const GstClockTime until = gst_util_get_timestamp() + GstClockTime(timeoutMs) * GST_MSECOND;
    while (!done && !failed) {
        const GstClockTime now = gst_util_get_timestamp();
        GstMessage* m =
            now < until
                ? gst_bus_timed_pop_filtered(
                      bus, until - now, GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE))
                : nullptr;
        if (!m) break; // the bound
        failed = GST_MESSAGE_TYPE(m) == GST_MESSAGE_ERROR;
        done = GST_MESSAGE_SRC(m) == GST_OBJECT(graph);
        gst_message_unref(m);
    }
    // An error that came with the preroll counts as well.
    if (GstMessage* error = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR)) {
        failed = true;
        gst_message_unref(error);
    }
    gst_object_unref(bus);
    return done && !failed;
}

} // namespace

void ProbeOnOwnGraph(const RealPath& real, int renderTimeoutMs, ProbeResult& result) {
    result.width = result.height = result.durationMs = 0;
    GstElement* graph = MakePlaybin(nullptr);
    if (!graph) return;
    gchar* uri = gst_filename_to_uri(real.c_str(), nullptr);
    if (uri) {
        g_object_set(graph, "uri", uri, "mute", TRUE, "video-sink", MakeFakeVideoSink(),
                     "audio-sink", MakeFakeVideoSink(), nullptr);
        if (Preroll(graph, renderTimeoutMs)) {
            // The start and pause of the player's graph, then what it reads.
            gst_element_set_state(graph, GST_STATE_PLAYING);
            gst_element_set_state(graph, GST_STATE_PAUSED);
            PlaybinVideoSize(graph, result.width, result.height);
            const int known = PlaybinDurationMs(graph);
            result.durationMs = known >= 0 ? known : FileDurationMs(real.Bytes(), uri);
        }
        g_free(uri);
    }
    gst_element_set_state(graph, GST_STATE_NULL);
    gst_object_unref(graph);
}
