// The disk calls of one command run from the window: each mount that stops answering gets
// its history line, and BreakFlag (the break button or the window's close) ends any wait but
// a change's, which names the mount it waits for once the deadline has passed.
#pragma once

#include "platform/disks/DiskCalls.h"
#include "platform/ui/Shell.h"

#include <string_view>

// Commands that lock no controls let no user input through while they wait (they hold row
// numbers that a sort would move); commands with a break button pass AllEvents.
TDiskCalls
ShellDiskCalls(IShell& shell,
               QEventLoop::ProcessEventsFlags flags = QEventLoop::ExcludeUserInputEvents);

// The disk work of a save or an export from the window (SaveRegister's DiskWork): on the
// shell's disk calls as a change, so that a share that is slow to answer is waited for with
// the window answering.
DiskWork ShellDiskWork(IShell& shell, std::string_view path);
