// What the file commands work on: the register, the window's services and dialogs, and the
// register database file that they save.
#pragma once

#include "platform/ui/Dialogs.h"
#include "platform/ui/Shell.h"
#include "register/VideoRegister.h"

#include <string>

struct FileOpsContext {
    VideoRegister& reg;
    IShell& shell;
    IDialogs& dialogs;
    std::string vdbPath; // the register database file (GB18030)
};
