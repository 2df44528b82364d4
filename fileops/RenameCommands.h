// Renaming the file or the folder of the grid's current row, on disk and in the register.
#pragma once

#include "fileops/FileOpsContext.h"

#include <string>
#include <string_view>

// The name the file rename proposes: the main name, with the resolution in brackets
// appended when the name holds no "[" and the resolution is known.
std::string RenameProposal(std::string_view mainName, std::string_view resolution);

// Asks for a new main name (stored upper-cased), renames the file and saves the register.
// Cancel, an unchanged name or a name that the register cannot hold changes nothing.
void RenameRowFile(const FileOpsContext& ctx);

// Asks for a new folder path (stored upper-cased), moves the folder and rewrites the path
// of every row inside it or its sub-folders, then saves the register.
void RenameRowFolder(const FileOpsContext& ctx);
