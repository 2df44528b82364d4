// GridStore: the table operations over the video register and its database file
// "视频登记库.vdb" (one line per data row, every cell followed by "^^", CR LF).
#pragma once

#include "platform/disks/DiskCalls.h"
#include "platform/ui/Shell.h"
#include "register/VideoRegister.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

enum RegisterColumn {
    colNumber = 0,
    colPath = 1,
    colName = 2,
    colType = 3,
    colSize = 4,
    colDuration = 5,
    colResolution = 6,
    colChannel = 7,
    colTrack = 8,
    colYear = 9,
    colCategory = 10,
    colStars = 11,
};

// The twelve column titles of row 0 (GB18030).
const std::vector<std::string>& ColumnTitles();

// Replaces the table with the file's rows, sets the header row and renumbers. A missing
// file gives the blank register. Anything else in its place that cannot be read (a folder,
// a loop of links, a file without read permission, a read error) leaves the blank register,
// marked as not holding the file's catalogue (UnreadDatabase), and throws.
void LoadRegister(VideoRegister& reg, std::string_view path);
// The same with the rows read by `read` (ReadRegisterFile where the caller wants it).
void LoadRegister(VideoRegister& reg, const std::function<struct TRegisterFile()>& read);
// The load in two steps, so that the reading can run on a worker: the file's rows (throws
// as LoadRegister), then put into the register on its own thread.
struct TRegisterFile {
    std::vector<PackedRow> rows; // the header's place first
    bool numbered = false;
};
TRegisterFile ReadRegisterFile(std::string_view path);
void PutRegisterFile(VideoRegister& reg, TRegisterFile file);
// The blank register, marked as not holding the file's catalogue for `reason`.
void PutUnreadRegister(VideoRegister& reg, const std::string& reason);

// Writes rows 1 to last through a safe write; a failure keeps the previous file and throws.
// The register then is the file's catalogue. The rows are read here; only the file's
// creation, writes and commit go to `onDisk`, one block at a time.
void SaveRegister(VideoRegister& reg, std::string_view path, const DiskWork& onDisk = {});
// The save a command makes by itself (after a rename, a copy, a move): none over a database
// that was not read, which the history is told once. Whether it saved.
bool SaveRegisterByCommand(VideoRegister& reg, std::string_view path, IShell& shell);

void SetHeaderRow(VideoRegister& reg, const std::vector<std::string>& titles);
void RenumberRows(VideoRegister& reg, int col, int first, char pad, int width);
// The callers' one form: column 0, from 1, blank, width 5.
void RenumberRows(VideoRegister& reg);
std::string PadLeft(std::string_view text, char pad, int width);
void ClearRegister(VideoRegister& reg);
void DeleteRow(VideoRegister& reg, int row);
// Same result as DeleteRow for each row from the bottom up, in one pass.
void DeleteRows(VideoRegister& reg, std::vector<int> rows);
void InsertRow(VideoRegister& reg, int row);
void CopyRow(VideoRegister& reg, int from, int to);
std::string RowToLine(const VideoRegister& reg, int row);
PackedRow LineToCells(std::string_view line);
void LineToRow(VideoRegister& reg, std::string_view line, int row);
