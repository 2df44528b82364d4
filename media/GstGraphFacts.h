// The facts of a file that a prerolled playbin gives, read the same way by the player's graph
// and by the probes of the analysis on graphs of their own. Included by media's own sources.
#pragma once

#include <gst/gst.h>

#include <cstdint>
#include <string>

// The program's playbin (held by the caller): subtitles are not shown by the pane, and the
// software colour balance is not used either (its stage would convert every frame at the
// size it is shown: four times the work of the conversion before the scaler for a 1080p film
// on a 3840x2160 screen).
GstElement* MakePlaybin(const char* name);
// A sink that keeps to the clock as a video sink does, so that a probe's start and pause take
// as long as they do with the pane.
GstElement* MakeFakeVideoSink();

// Native size of the first video stream; false (0 x 0) without video.
bool PlaybinVideoSize(GstElement* playbin, int& width, int& height);
// The graph's duration in ms; -1 when it has none.
int PlaybinDurationMs(GstElement* playbin);
// When the graph cannot tell: the frames of an MPEG audio file counted, or the discoverer's
// estimate for any other kind. Reads the file: run where a stuck read may be left behind.
int FileDurationMs(const std::string& path, const std::string& uri);
