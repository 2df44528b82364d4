// The file helpers that the copy, move, rename and delete commands share. Paths are GB18030
// register paths; every access goes through the case-insensitive resolver.
#pragma once

#include "platform/fs/Paths.h"
#include "register/VideoRegister.h"

class IShell;

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The copy unit of BlockCopyFile: one progress step and one break test per block.
constexpr uint64_t kCopyBlockSize = 409600;

// The path with the separator appended when it does not end in one ("" stays "").
std::string WithSeparator(std::string_view path);

// The row's cells joined as the user reads them: path cell (with the separator), main name,
// type; "" when the path cell is empty. For display only.
std::string RowPathText(const VideoRegister& reg, int row);
// The row's file: RowPathText, or "" when the path cell is empty or the name and type cells
// lead out of its folder (FileNameFault): such a row names no file, as a missing one.
std::string RowFilePath(const VideoRegister& reg, int row);
// The same for a command about to act on the file: a row that leads out of its folder is
// named in the history.
std::string RowFilePath(IShell& shell, const VideoRegister& reg, int row);

// Deletes the file that a register path was found to name (the first of `found`, as
// FindOnDisk gives them, when it is a regular file) without looking it up again; false when
// there is none or it cannot be deleted.
bool DeleteFoundFile(const std::vector<DiskEntry>& found);

// What became of a regular file found before a dialog that a command then meant to delete.
enum class CheckedDeletion { Deleted, Gone, Changed, Failed };
CheckedDeletion DeleteCheckedFile(const DiskEntry& entry);

// What a command asks of the disk about a row's file, in one call that a worker makes. The
// register path is resolved once; the command then acts on the entry found.
struct TFileCheck {
    std::vector<DiskEntry> found; // every entry the path fits, as FindOnDisk gives them
    bool exists = false;          // the first is a regular file (FileExists)
    uint64_t size = 0;            // with FileLook::Size only
    int64_t modifiedNs = 0;       // the modification time, ns since the epoch
    RealPath real;                // the file on disk
    std::exception_ptr error;     // the size could not be read: what the open threw (EFileError)
};
// Whether the file's size and time are read too (from the file opened once).
enum class FileLook { Entry, Size };
// Whether the file exists, and if so where it is and (FileLook::Size) its size; nothing is
// thrown.
TFileCheck CheckFile(const std::string& gbPath, FileLook look = FileLook::Size);

// The length of the file. Throws EFileError as OpenRegularFile does (a pipe is not opened).
uint64_t GetFileSizeBytes(std::string_view gbPath);

// The bytes free for the user on the file system that holds the path; 0 when the query fails.
uint64_t GetDiskFreeBytes(std::string_view gbPath);

// True when both paths lie on one file system. A path that does not exist yet counts by its
// nearest existing folder.
bool SameDrive(std::string_view a, std::string_view b);

// For the commands that change or delete files: when more than one file on disk fits a path
// (`found`, the case variants of a name or a folder that FindOnDisk gave), the history names
// them all and the caller leaves the row alone. True when the path was refused so.
bool RefuseAmbiguous(IShell& shell, const std::vector<DiskEntry>& found);

// For the commands that found an entry before a dialog: its path no longer leads to it after
// the dialog, so the history names it and the caller leaves the row alone.
void ReportChanged(IShell& shell, const DiskEntry& entry);
