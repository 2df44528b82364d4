#include "platform/ui/Shell.h"

bool BreakFlag = false;
bool SearchRunning = false;
