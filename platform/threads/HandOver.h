// Hands work from any thread to the UI thread. The work goes through a queue guarded by a
// std::mutex and the UI thread is only woken by an empty posted event, so everything handed
// over is ordered by a lock that ThreadSanitizer sees (Qt's event queue uses its own futex
// lock, invisible to it). Calls run on the UI thread in the order they were posted.
//
// A THandOver is a handle: copies share one queue, so a worker thread keeps its own copy and
// may post after its owner has gone (the post is then dropped).
#pragma once

#include <functional>
#include <memory>

class QObject;

class THandOver {
public:
    // Calls run on the thread that `context` lives in.
    explicit THandOver(QObject* context);

    // Any thread. What `call` captures must be safe to use on the UI thread.
    void Post(std::function<void()> call) const;
    // Drops what was not run yet and every later post. The owner closes it when it goes.
    void Close() const;
    // Runs what was posted so far, now (a wait that needs the calls before it goes on).
    void Drain() const;

private:
    struct Queue;
    std::shared_ptr<Queue> queue_;
};
