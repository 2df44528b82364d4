// The element list of a graph: what a user would recognise as its filters, in graph order.
// Included by media's own sources only.
#pragma once

#include "media/FilterGraph.h"

#include <gst/gst.h>

#include <vector>

// Walks the pipeline from its sources to its sinks. Own filters ("VW", "SampleGrabber") are
// listed by name, the file source by the file-name part of its location, every other
// element by its factory's long name. Queues, type finders, selectors and the
// auto-plugging bins are plumbing and left out. An own filter that the file left
// unconnected (the pane of a sound file, the grabber of a silent film) is still in the
// graph: it comes last.
std::vector<TGraphElement> ListGraphElements(GstElement* pipeline,
                                             const std::vector<GstElement*>& ownFilters);

// The own filters' element names.
inline constexpr const char* kVideoFilterName = "VW";
inline constexpr const char* kGrabberFilterName = "SampleGrabber";
