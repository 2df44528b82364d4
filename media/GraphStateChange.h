// State changes of a media graph off the UI thread. A change to PAUSED opens the file inside
// its source element and a change towards NULL waits for the streaming threads, so on a share
// that stopped answering either call may never return: it runs on a detached worker that holds
// its own reference to the graph, while the UI thread waits with window events processed.
#pragma once

#include <gst/gst.h>

#include <QEventLoop>
#include <functional>

// How the wait for a change ended: the call returned, it had not returned by the disk
// deadline, or `stop` (a break or a close) ended the wait first.
enum class TStateChangeEnd { Done, NoAnswer, Stopped };

struct TStateChange {
    TStateChangeEnd end = TStateChangeEnd::Done;
    GstStateChangeReturn result = GST_STATE_CHANGE_FAILURE; // when Done
};

constexpr int kQuietStateWaitMs = 50;

// gst_element_set_state(graph, target) on a worker, waited for at most DiskDeadlineMs(): the
// first `quietMs` without handling anything (a change that does not wait on a disk returns
// within milliseconds, and what the window shows keeps its order), then handling the events
// that `flags` let through. Unless Done, the graph is left to the worker: when its call
// returns, if ever, it empties the graph (NULL) and drops its reference; the caller must not
// change the graph's state again.
TStateChange ChangeStateDetached(GstElement* graph, GstState target,
                                 QEventLoop::ProcessEventsFlags flags,
                                 const std::function<bool()>& stop,
                                 int quietMs = kQuietStateWaitMs);
