// Waits that keep the window alive by handling its pending events while a handler runs.
// Every such wait goes through here, so the window can tell when an event it handles
// arrived inside a running handler (a close must then let that handler end first).
#pragma once

#include <QEventLoop>
#include <functional>

// Handles the events pending now that `flags` let through.
void ProcessPendingEvents(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
// Waits `ms` milliseconds on the high-resolution counter, handling events as they arrive
// and sleeping on the event queue between them. 0 or less handles nothing.
void WaitProcessingEvents(int ms);
// How many of these waits are running now, nested.
int RunningEventWaits();

// How a wait for work done on another thread ended.
enum class WaitEnd { Done, Deadline, Stopped };

// Waits until `done` holds, handling the events that `flags` lets through (a command that
// locks no controls keeps user input out, so that nothing moves the rows it works on), at
// most `ms` milliseconds, or until `stop` holds (a break or a close). `done` is asked first
// without handling anything, and again whenever WakeEventWait is called or an event arrives.
WaitEnd WaitUntil(const std::function<bool()>& done, int ms, const std::function<bool()>& stop,
                  QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
// Wakes a WaitUntil so that it asks `done` again. Any thread may call it.
void WakeEventWait();
