// Calls into a media graph off the UI thread. A change to PAUSED opens the file inside its
// source element, a change towards NULL and a flushing seek wait for the streaming threads,
// so on a share that stopped answering any of them may never return: each runs on a detached
// worker that holds its own reference to the graph, while the UI thread waits with window
// events processed.
// Included by media's own sources only.
#pragma once

#include <gst/gst.h>

#include <QEventLoop>
#include <functional>

// How the wait for a call ended: the call returned, it had not returned by the disk deadline,
// or `stop` (a break or a close) ended the wait first.
enum class TGraphCallEnd { Done, NoAnswer, Stopped };

struct TGraphCall {
    TGraphCallEnd end = TGraphCallEnd::Done;
    int result = 0; // what the call returned, when Done
};

constexpr int kQuietGraphWaitMs = 50;

// call(graph) on a worker, waited for at most DiskDeadlineMs(): the first `quietMs` without
// handling anything (a call that does not wait on a disk returns within milliseconds, and what
// the window shows keeps its order), then handling the events that `flags` let through. Unless
// Done, the graph is left to the worker: when its call returns, if ever, it empties the graph
// (NULL) and drops its reference; the caller must not call into the graph again.
TGraphCall CallGraphDetached(GstElement* graph, std::function<int(GstElement*)> call,
                             QEventLoop::ProcessEventsFlags flags,
                             const std::function<bool()>& stop, int quietMs = kQuietGraphWaitMs);

// Hands the caller's reference to the graph to a worker that empties it (NULL) and drops it.
// Waits at most `quietMs` without handling anything, so that a graph that answers is empty on
// return; one that does not is left to the worker, and nothing waits for it, not even the
// program's exit.
void ReleaseGraphDetached(GstElement* graph, int quietMs = kQuietGraphWaitMs);
