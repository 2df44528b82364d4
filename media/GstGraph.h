// The GStreamer side of the graph's face, for media's own sources and the tests: the element
// behind a handle and the graph's playbin. Internal to media: no header includes it (the build
// refuses one that the window reaches), so the window never sees a GStreamer type.
#pragma once

#include "media/FilterGraph.h"

#include <gst/gst.h>

// A handle is the element's own address: handing one over costs nothing and two handles of one
// element compare equal.
inline GstElement* GstElementOf(TMediaElement* element) {
    return reinterpret_cast<GstElement*>(element);
}
inline TMediaElement* MediaElementOf(GstElement* element) {
    return reinterpret_cast<TMediaElement*>(element);
}

// The graph's playbin, borrowed; nullptr without a graph.
TMediaElement* PipelineElement(const TFilterGraph& graph);
inline GstElement* GstPipelineOf(const TFilterGraph& graph) {
    return GstElementOf(PipelineElement(graph));
}

// Makes sure GStreamer is initialised (idempotent).
void EnsureGstInit();
