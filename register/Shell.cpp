#include "register/Shell.h"

bool BreakFlag = false;
bool SearchRunning = false;
