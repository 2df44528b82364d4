#include "media/GraphCall.h"

#include "platform/Clock.h"
#include "platform/DetachedWorker.h"
#include "platform/DiskCalls.h"
#include "platform/EventWait.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

struct Call {
    std::mutex mutex;
    std::condition_variable returned;
    bool done = false;
    bool abandoned = false;
    int result = 0;
};

// Runs `work` on a worker thread of its own, abandoned, never joined.
template <class F> void RunOnOwnWorker(F work) {
    auto worker = std::make_shared<TDetachedWorker>();
    // The call keeps its worker until it has run; the worker then ends with it.
    worker->Post([worker, work = std::move(work)]() mutable { work(); });
}

// Starts work(graph) on a worker that holds its own reference to the graph. A call abandoned
// before it returns is followed by emptying the graph.
std::shared_ptr<Call> Start(GstElement* graph, std::function<int(GstElement*)> work) {
    auto call = std::make_shared<Call>();
    gst_object_ref(graph);
    RunOnOwnWorker([call, graph, work = std::move(work)] {
        const int result = work(graph);
        bool abandoned;
        {
            std::lock_guard lock(call->mutex);
            call->done = true;
            call->result = result;
            abandoned = call->abandoned;
        }
        call->returned.notify_all();
        WakeEventWait();
        if (abandoned) gst_element_set_state(graph, GST_STATE_NULL);
        gst_object_unref(graph);
    });
    return call;
}

// Whether the call returns within `ms`, waited for without handling anything.
bool WaitQuietly(Call& call, int ms) {
    std::unique_lock lock(call.mutex);
    return call.returned.wait_for(lock, std::chrono::milliseconds(ms), [&] { return call.done; });
}

} // namespace

TGraphCall CallGraphDetached(GstElement* graph, std::function<int(GstElement*)> work,
                             QEventLoop::ProcessEventsFlags flags,
                             const std::function<bool()>& stop, int quietMs) {
    const std::shared_ptr<Call> call = Start(graph, std::move(work));
    const int64_t start = CounterNow();
    const int deadlineMs = DiskDeadlineMs();
    WaitQuietly(*call, std::min(quietMs, deadlineMs));
    const int elapsedMs = int((CounterNow() - start) * 1000 / CounterFrequency());
    WaitEnd end = WaitEnd::Deadline;
    if (elapsedMs < deadlineMs)
        end = WaitUntil(
            [&] {
                std::lock_guard lock(call->mutex);
                return call->done;
            },
            deadlineMs - elapsedMs, stop, flags);
    std::lock_guard lock(call->mutex);
    if (call->done) return {TGraphCallEnd::Done, call->result};
    call->abandoned = true;
    return {end == WaitEnd::Stopped ? TGraphCallEnd::Stopped : TGraphCallEnd::NoAnswer};
}

void ReleaseGraphDetached(GstElement* graph, int quietMs) {
    const std::shared_ptr<Call> call =
        Start(graph, [](GstElement* g) { return int(gst_element_set_state(g, GST_STATE_NULL)); });
    gst_object_unref(graph); // the worker holds its own reference
    WaitQuietly(*call, quietMs);
}
