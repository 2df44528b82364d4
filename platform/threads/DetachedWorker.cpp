#include "platform/threads/DetachedWorker.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

struct TDetachedWorker::Queue {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> calls;
    bool dropped = false;
};

TDetachedWorker::TDetachedWorker() : queue_(std::make_shared<Queue>()) {
    std::thread([queue = queue_] {
        for (;;) {
            std::function<void()> call;
            {
                std::unique_lock lock(queue->mutex);
                queue->wake.wait(lock, [&] { return queue->dropped || !queue->calls.empty(); });
                if (queue->dropped) return;
                call = std::move(queue->calls.front());
                queue->calls.pop_front();
            }
            call();
        }
    }).detach();
}

TDetachedWorker::~TDetachedWorker() {
    std::deque<std::function<void()>> unstarted; // destroyed outside the lock
    {
        std::lock_guard lock(queue_->mutex);
        queue_->dropped = true;
        unstarted.swap(queue_->calls);
    }
    queue_->wake.notify_one();
}

void TDetachedWorker::Post(std::function<void()> call) {
    {
        std::lock_guard lock(queue_->mutex);
        queue_->calls.push_back(std::move(call));
    }
    queue_->wake.notify_one();
}
