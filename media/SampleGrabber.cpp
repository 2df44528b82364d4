#include "media/SampleGrabber.h"

#include "media/GstCallbackLink.h"
#include "media/GstGraph.h"
#include "media/GstGraphElements.h"

#include <gst/audio/audio.h>

// The probe on the grabber's output, on the streaming thread.
struct TSampleGrabber::Probe {
    static GstPadProbeReturn Call(GstPad* pad, GstPadProbeInfo* info, gpointer link);
    static void Grab(TSampleGrabber& grabber, GstPadProbeInfo* info);
};

TSampleGrabber::~TSampleGrabber() {
    if (!graph_) return;
    graph_->SetActive(false); // its probe refers to this grabber
    graph_->RemoveFilter(this);
}

void TSampleGrabber::SetFilterGraph(TFilterGraph* graph) {
    if (graph_) graph_->RemoveFilter(this);
    graph_ = graph;
    if (graph_) graph_->AddFilter(this);
}

TMediaElement* TSampleGrabber::FilterAdding() {
    GstElement* bin = gst_bin_new(kGrabberFilterName);
    GstElement* convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement* caps = gst_element_factory_make("capsfilter", nullptr);
    GstCaps* pcm = gst_caps_from_string(
        "audio/x-raw,format={S16LE,U8,S24LE,S32LE},layout=interleaved,channels=2");
    g_object_set(caps, "caps", pcm, nullptr);
    gst_caps_unref(pcm);
    gst_bin_add_many(GST_BIN(bin), convert, caps, nullptr);
    gst_element_link(convert, caps);
    GstPad* sink = gst_element_get_static_pad(convert, "sink");
    GstPad* src = gst_element_get_static_pad(caps, "src");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", sink));
    gst_element_add_pad(bin, gst_ghost_pad_new("src", src));
    probeLink_ = std::make_shared<ProbeLink>(this);
    gst_pad_add_probe(
        src, GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
        &Probe::Call, ProbeLink::Hold(probeLink_), &ProbeLink::Release);
    gst_object_unref(sink);
    gst_object_unref(src);
    bits_ = 0;
    return MediaElementOf(bin);
}

void TSampleGrabber::FilterRemoved() {
    if (probeLink_) probeLink_->Cut();
    probeLink_.reset();
    bits_ = 0;
}

GstPadProbeReturn TSampleGrabber::Probe::Call(GstPad*, GstPadProbeInfo* info, gpointer link) {
    ProbeLink::Of(link)->With([info](TSampleGrabber& grabber) { Grab(grabber, info); });
    return GST_PAD_PROBE_OK;
}

// Inside the grabber's lock.
void TSampleGrabber::Probe::Grab(TSampleGrabber& grabber, GstPadProbeInfo* info) {
    if (info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        if (GST_EVENT_TYPE(event) == GST_EVENT_CAPS) {
            GstCaps* caps = nullptr;
            gst_event_parse_caps(event, &caps);
            GstAudioInfo audio;
            if (gst_audio_info_from_caps(&audio, caps))
                grabber.bits_ = GST_AUDIO_INFO_WIDTH(&audio);
        }
        return;
    }
    if (!grabber.OnBuffer) return;
    GstBuffer* buffer = gst_buffer_make_writable(GST_PAD_PROBE_INFO_BUFFER(info));
    GST_PAD_PROBE_INFO_DATA(info) = buffer;
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READWRITE)) return;
    const double time =
        GST_BUFFER_PTS_IS_VALID(buffer) ? double(GST_BUFFER_PTS(buffer)) / double(GST_SECOND) : 0.0;
    grabber.OnBuffer(&grabber, time, map.data, int(map.size));
    gst_buffer_unmap(buffer, &map);
}
