// Which sink shows the films, and the calls into a sink that draws into a native window
// through the video overlay interface. Included by media's own sources only.
#pragma once

#include <gst/gst.h>

#include <QImage>
#include <QSize>

// What draws the pictures: the painter (an appsink whose frames the pane paints, on the
// offscreen platform and wherever the display offers nothing better), XVideo (the X server
// scales and converts in the graphics hardware), or ximagesink (the graph's scaler writes
// each picture at the window's size straight into the shared memory the X server shows).
enum class TVideoPresenter : int { Painter, XvImage, XImage };

// Chosen once per process from the toolkit's platform and what the display offers, or as
// TAVLORA_VIDEO_SINK forces ("appsink", "xvimagesink", "ximagesink"); one line on standard
// error names it. Needs the application object.
TVideoPresenter ChosenVideoPresenter();

// The presenter's sink, named `name`, drawing into `window` once it has pictures; it takes
// no input events of its own (the toolkit keeps them). ximagesink comes behind a filter that
// holds the size of its pictures.
GstElement* MakeOverlaySink(TVideoPresenter presenter, const char* name, guintptr window);
// Draws into `window` from now on, and shows the last picture there.
void BindOverlay(GstElement* sink, guintptr window);
// Draws the last picture again (the window was resized or uncovered).
void ExposeOverlay(GstElement* sink);
// The size in device pixels, square pixels, at which the graph's scaler makes the pictures
// (with black bars at the display aspect); empty: the stream's own. False when it is not
// the sink's to hold (XVideo scales in the server) or did not change.
bool SetOverlayFrameSize(GstElement* sink, QSize size);
// The picture the sink shows now as BGRx, null when it has none.
QImage OverlayFrame(GstElement* sink);
