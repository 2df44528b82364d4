#include "media/GraphStateChange.h"

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
    GstStateChangeReturn result = GST_STATE_CHANGE_FAILURE;
};

// Runs `work` on a worker thread of its own, abandoned, never joined.
template <class F> void RunOnOwnWorker(F work) {
    auto worker = std::make_shared<TDetachedWorker>();
    // The call keeps its worker until it has run; the worker then ends with it.
    worker->Post([worker, work = std::move(work)]() mutable { work(); });
}

} // namespace

TStateChange ChangeStateDetached(GstElement* graph, GstState target,
                                 QEventLoop::ProcessEventsFlags flags,
                                 const std::function<bool()>& stop, int quietMs) {
    auto call = std::make_shared<Call>();
    gst_object_ref(graph);
    RunOnOwnWorker([call, graph, target] {
        const GstStateChangeReturn result = gst_element_set_state(graph, target);
        bool abandoned;
        {
            std::lock_guard lock(call->mutex);
            call->done = true;
            call->result = result;
            abandoned = call->abandoned;
        }
        call->returned.notify_all();
        WakeEventWait();
        if (abandoned && target != GST_STATE_NULL) gst_element_set_state(graph, GST_STATE_NULL);
        gst_object_unref(graph);
    });
    const int64_t start = CounterNow();
    const int deadlineMs = DiskDeadlineMs();
    {
        std::unique_lock lock(call->mutex);
        call->returned.wait_for(lock, std::chrono::milliseconds(std::min(quietMs, deadlineMs)),
                                [&] { return call->done; });
        if (call->done) return {TStateChangeEnd::Done, call->result};
    }
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
    if (call->done) return {TStateChangeEnd::Done, call->result};
    call->abandoned = true;
    return {end == WaitEnd::Stopped ? TStateChangeEnd::Stopped : TStateChangeEnd::NoAnswer};
}
