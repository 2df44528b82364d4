// The copy and move commands: the files of the selected rows go into one folder that the
// user picks, after a free-space check, with an overwrite question, both progress bars, the
// break button and a summary in the history log and on the status line.
#pragma once

#include "fileops/FileHelpers.h"
#include "fileops/FileOpsContext.h"

#include <cstdint>
#include <functional>
#include <string_view>

// The volume queries of the pre-flight and of the move; tests replace them.
struct VolumeQueries {
    std::function<uint64_t(std::string_view)> diskFree = GetDiskFreeBytes;
    std::function<bool(std::string_view, std::string_view)> sameDrive = SameDrive;
};

// Copies the files; the register is saved when a file was copied, and renumbered.
void CopySelectedFiles(const FileOpsContext& ctx, const VolumeQueries& volumes = {});
// Moves the files (a rename on one file system, copy and delete across); the moved rows
// point at the chosen folder; the register is saved when a file was moved.
void MoveSelectedFiles(const FileOpsContext& ctx, const VolumeQueries& volumes = {});
