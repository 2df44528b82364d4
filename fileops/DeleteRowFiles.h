// Deleting the files of the selected rows together with their rows.
#pragma once

#include "fileops/FileOpsContext.h"

// Deletes each selected row's file (silently when it is missing or refuses) and the rows,
// then renumbers. No question, no message; the register is not saved. A row whose path two
// files fit is left with its files, and the history names them.
void DeleteRowFiles(const FileOpsContext& ctx);
