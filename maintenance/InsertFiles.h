// Registering files picked by hand in the open dialog, inserted at the current row.
#pragma once

#include "platform/ui/Dialogs.h"
#include "platform/ui/Shell.h"
#include "register/VideoRegister.h"

#include <QStringList>

// Inserts one record per file at the current row Y (reading it once), so the files end up
// in reverse order of the list in rows Y onward; a row Y whose path cell is empty is filled
// instead of pushed down. A name the register cannot store is refused with a history line and not
// counted. Returns the number of records written and reports it on the status line.
int InsertFileRecords(VideoRegister& reg, IShell& shell, const QStringList& files);

// The insertion command: the open dialog "选择视频文件", then InsertFileRecords; a
// cancelled dialog changes nothing.
void InsertFromOpenDialog(VideoRegister& reg, IShell& shell, IDialogs& dialogs);
