#include "media/GstGraphCall.h"

#include "platform/threads/DeadlineWorker.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

namespace {

// Workers whose last graph call returned, kept for the next call: a call in flight holds its
// own, so a graph call made inside the wait for another does not queue behind it. Any thread.
class IdleWorkers {
public:
    static IdleWorkers& Of() {
        static auto* idle = new IdleWorkers; // outlives the calls still on their way at exit
        return *idle;
    }
    std::unique_ptr<TDeadlineWorker> Take() {
        std::lock_guard lock(mutex_);
        if (workers_.empty()) return std::make_unique<TDeadlineWorker>();
        std::unique_ptr<TDeadlineWorker> worker = std::move(workers_.back());
        workers_.pop_back();
        return worker;
    }
    void Keep(std::unique_ptr<TDeadlineWorker> worker) {
        std::lock_guard lock(mutex_);
        workers_.push_back(std::move(worker));
    }

private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<TDeadlineWorker>> workers_;
};

struct Outcome {
    bool done = false;
    int result = 0;
};

// Posts work(graph) to the worker, which holds its own reference to the graph. A call
// abandoned before it returns is followed by emptying the graph.
std::shared_ptr<Outcome> Start(TDeadlineWorker& worker, GstElement* graph,
                               std::function<int(GstElement*)> work) {
    auto outcome = std::make_shared<Outcome>();
    gst_object_ref(graph);
    worker.Post([outcome, graph, work = std::move(work)](TDeadlineWorker::Clock& clock) {
        const int result = clock.Begin({}) ? work(graph) : 0;
        const bool kept = clock.Finish([&] {
            outcome->done = true;
            outcome->result = result;
        });
        if (!kept) gst_element_set_state(graph, GST_STATE_NULL);
        gst_object_unref(graph);
    });
    return outcome;
}

} // namespace

TGraphCall CallGraphDetached(GstElement* graph, std::function<int(GstElement*)> work,
                             QEventLoop::ProcessEventsFlags flags,
                             const std::function<bool()>& stop, int quietMs) {
    std::unique_ptr<TDeadlineWorker> worker = IdleWorkers::Of().Take();
    const std::shared_ptr<Outcome> outcome = Start(*worker, graph, std::move(work));
    const WaitEnd end = worker->Wait([&] { return outcome->done; }, stop, flags,
                                     std::min(quietMs, DiskDeadlineMs()));
    if (end == WaitEnd::Done) {
        IdleWorkers::Of().Keep(std::move(worker));
        return {TGraphCallEnd::Done, outcome->result};
    }
    worker->Abandon(); // the call empties the graph when it returns
    return {end == WaitEnd::Stopped ? TGraphCallEnd::Stopped : TGraphCallEnd::NoAnswer};
}

void ReleaseGraphDetached(GstElement* graph, int quietMs) {
    std::unique_ptr<TDeadlineWorker> worker = IdleWorkers::Of().Take();
    const std::shared_ptr<Outcome> outcome = Start(*worker, graph, [](GstElement* g) {
        return int(gst_element_set_state(g, GST_STATE_NULL));
    });
    gst_object_unref(graph); // the worker holds its own reference
    // Waits quietly only: a graph that does not answer is left to the worker.
    if (worker->Wait([&] { return outcome->done; }, [] { return true; }, QEventLoop::AllEvents,
                     quietMs) == WaitEnd::Done)
        IdleWorkers::Of().Keep(std::move(worker));
}
