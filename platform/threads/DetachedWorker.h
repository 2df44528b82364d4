// A worker thread for calls that may never return (a file-system call into a share that
// stopped answering). The thread is detached and owns its queue through a shared pointer, so
// it is abandoned, never joined: dropping the worker lets its thread end after the call in
// hand, whenever that returns, and nothing waits for it, not even the program's exit.
#pragma once

#include <functional>
#include <memory>

class TDetachedWorker {
public:
    TDetachedWorker();
    // Drops the calls not started yet; the call in hand runs on.
    ~TDetachedWorker();
    TDetachedWorker(const TDetachedWorker&) = delete;
    TDetachedWorker& operator=(const TDetachedWorker&) = delete;

    // Runs `call` on the thread after the calls posted before it. `call` must own what it
    // touches (capture by value or through shared pointers): it may outlive its poster.
    void Post(std::function<void()> call);

private:
    struct Queue;
    std::shared_ptr<Queue> queue_;
};
