// The way back from a streaming thread's callback to the component that set it up. A graph
// left to a stuck worker keeps its elements, and their callbacks may run whenever the worker's
// call returns, after the component has let go of them or is gone: the component cuts the
// link when it lets go, and from then on no call reaches it. Calls run one at a time under
// the link's lock, so a cut waits for a call in progress.
// Included by media's own sources (and the tests) only.
#pragma once

#include <glib-object.h>

#include <memory>
#include <mutex>

// GStreamer and GLib hand a callback its user data under locks of their own, which the thread
// sanitizer cannot see (they are not built with it). The link's reference in the user data is
// taken and released under this lock as well, so that the hand-over from the thread that set
// the callback up to the thread that calls it is one the sanitizer checks. It is taken once
// per call and never held across one.
inline std::mutex& CallbackDataLock() {
    static std::mutex lock;
    return lock;
}

template <class T> class TCallbackLink {
public:
    explicit TCallbackLink(T* owner) : owner_(owner) {}

    // f(owner) unless the link was cut.
    template <class F> void With(F&& f) {
        std::lock_guard lock(mutex_);
        if (owner_) f(*owner_);
    }
    void Cut() {
        std::lock_guard lock(mutex_);
        owner_ = nullptr;
    }

    // A reference for a GLib callback's user data, released by the matching notify.
    static gpointer Hold(const std::shared_ptr<TCallbackLink>& link) {
        std::lock_guard lock(CallbackDataLock());
        return new std::shared_ptr<TCallbackLink>(link);
    }
    // The link in a callback's user data, kept for the call.
    static std::shared_ptr<TCallbackLink> Of(gpointer data) {
        std::lock_guard lock(CallbackDataLock());
        return *static_cast<std::shared_ptr<TCallbackLink>*>(data);
    }
    static void Release(gpointer data) {
        std::lock_guard lock(CallbackDataLock());
        delete static_cast<std::shared_ptr<TCallbackLink>*>(data);
    }
    static void ReleaseClosure(gpointer data, GClosure*) { Release(data); }

private:
    std::mutex mutex_;
    T* owner_;
};
