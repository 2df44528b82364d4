#include "platform/threads/HandOver.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <deque>
#include <mutex>

struct THandOver::Queue : QObject {
    std::mutex mutex;
    std::deque<std::function<void()>> calls;
    bool closed = false;
    bool wakePosted = false;

    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        Run();
        return true;
    }

    void Run() {
        std::deque<std::function<void()>> now;
        {
            std::lock_guard lock(mutex);
            now.swap(calls);
            wakePosted = false;
        }
        for (std::function<void()>& call : now)
            call();
    }
};

THandOver::THandOver(QObject* context)
    // The last copy may go on a worker thread: the queue is deleted on its own thread.
    : queue_(new Queue, [](Queue* q) { q->deleteLater(); }) {
    queue_->moveToThread(context->thread());
}

void THandOver::Post(std::function<void()> call) const {
    std::lock_guard lock(queue_->mutex);
    if (queue_->closed) return;
    queue_->calls.push_back(std::move(call));
    if (!queue_->wakePosted) {
        queue_->wakePosted = true;
        QCoreApplication::postEvent(queue_.get(), new QEvent(QEvent::User));
    }
}

void THandOver::Close() const {
    std::deque<std::function<void()>> dropped; // destroyed outside the lock
    std::lock_guard lock(queue_->mutex);
    queue_->closed = true;
    dropped.swap(queue_->calls);
}

void THandOver::Drain() const {
    queue_->Run();
}
