// Deleting the files of the selected rows together with their rows.
#pragma once

#include "fileops/FileOpsContext.h"

// Deletes each selected row's file (silently when it is missing or refuses) and the rows,
// then renumbers. No question, no message; the register is not saved.
void DeleteRowFiles(const FileOpsContext& ctx);
