#include "media/GraphCall.h"

#include "platform/DeadlineWorker.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Workers whose last graph call returned, kept for the next call (UI thread only): a call in
// flight holds its own, so a graph call made inside the wait for another does not queue
// behind it.
std::vector<std::unique_ptr<TDeadlineWorker>>& IdleWorkers() {
    static auto* idle = new std::vector<std::unique_ptr<TDeadlineWorker>>;
    return *idle;
}

std::unique_ptr<TDeadlineWorker> TakeWorker() {
    auto& idle = IdleWorkers();
    if (idle.empty()) return std::make_unique<TDeadlineWorker>();
    std::unique_ptr<TDeadlineWorker> worker = std::move(idle.back());
    idle.pop_back();
    return worker;
}

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
    std::unique_ptr<TDeadlineWorker> worker = TakeWorker();
    const std::shared_ptr<Outcome> outcome = Start(*worker, graph, std::move(work));
    const WaitEnd end = worker->Wait([&] { return outcome->done; }, stop, flags,
                                     std::min(quietMs, DiskDeadlineMs()));
    if (end == WaitEnd::Done) {
        IdleWorkers().push_back(std::move(worker));
        return {TGraphCallEnd::Done, outcome->result};
    }
    worker->Abandon(); // the call empties the graph when it returns
    return {end == WaitEnd::Stopped ? TGraphCallEnd::Stopped : TGraphCallEnd::NoAnswer};
}

void ReleaseGraphDetached(GstElement* graph, int quietMs) {
    std::unique_ptr<TDeadlineWorker> worker = TakeWorker();
    const std::shared_ptr<Outcome> outcome = Start(*worker, graph, [](GstElement* g) {
        return int(gst_element_set_state(g, GST_STATE_NULL));
    });
    gst_object_unref(graph); // the worker holds its own reference
    // Waits quietly only: a graph that does not answer is left to the worker.
    if (worker->Wait([&] { return outcome->done; }, [] { return true; }, QEventLoop::AllEvents,
                     quietMs) == WaitEnd::Done)
        IdleWorkers().push_back(std::move(worker));
}
