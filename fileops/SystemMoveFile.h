// The platform's move of one file or folder to a new name on the same file system.
#pragma once

#include <string_view>

// Moves the file or folder; false when the target exists (in any letter case), the source
// is missing, or the system refuses (another file system, a folder moved into itself...).
// An existing target is never replaced.
bool SystemMoveFile(std::string_view from, std::string_view to);
