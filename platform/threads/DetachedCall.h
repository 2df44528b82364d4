// One call that may wait on a disk or a share, run on a detached worker thread of its own,
// its result handed to the UI thread.
#pragma once

#include "platform/threads/DetachedWorker.h"
#include "platform/threads/HandOver.h"

#include <memory>
#include <utility>

// Runs fn() on a worker thread and then done(result) on the thread of `handOver` (unless it
// was closed meanwhile). A call that never returns leaves its thread behind and nothing waits
// for it. fn and done must own what they hold: either may be destroyed on the worker.
template <class F, class Done> void RunDetached(const THandOver& handOver, F fn, Done done) {
    auto worker = std::make_shared<TDetachedWorker>();
    // The call keeps its worker until it has run; the worker then ends with it.
    worker->Post([worker, handOver, fn = std::move(fn), done = std::move(done)]() mutable {
        handOver.Post([done, result = fn()]() mutable { done(std::move(result)); });
    });
}
