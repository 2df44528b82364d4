// Record clean-up: removing the selected rows, the rows whose file no longer exists and the
// rows that repeat a main file name registered higher up. Each works in one pass over the
// register and one batch removal, with the same rows removed, the same counts and the same
// history lines as deleting row by row from the bottom up. Files on disk are not touched.
#pragma once

#include "platform/ui/Shell.h"
#include "register/VideoRegister.h"

// Removes the rows of the selection rectangle and renumbers.
void DeleteSelectedRows(VideoRegister& reg);

// Removes every row whose file does not exist (a folder of that name does not count) and
// every row with an empty path cell; reports on PB2 and the status line. Returns the
// number of missing files removed (rows with an empty path cell are not counted).
int PurgeMissingFiles(VideoRegister& reg, IShell& shell);

// Of all rows that share one main name (same bytes), keeps the topmost and removes the
// others, listing each in the history log from the bottom up; reports on PB2, PB3, the
// history page and the status line. Returns the number removed.
int RemoveRepeatedNames(VideoRegister& reg, IShell& shell);
