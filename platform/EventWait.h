// Waits that keep the window alive by handling its pending events while a handler runs.
// Every such wait goes through here, so the window can tell when an event it handles
// arrived inside a running handler (a close must then let that handler end first).
#pragma once

// Handles the events pending now.
void ProcessPendingEvents();
// Waits `ms` milliseconds on the high-resolution counter, handling events as they arrive
// and sleeping on the event queue between them. 0 or less handles nothing.
void WaitProcessingEvents(int ms);
// How many of these waits are running now, nested.
int RunningEventWaits();
