// The spreadsheet export: the whole register, header row included, as text cells of a new
// workbook saved beside the program, with progress on PB2 (rows) and PB3 (columns) and the
// break button.
#pragma once

#include "export/ExcelAutomation.h"
#include "platform/ui/Shell.h"
#include "register/VideoRegister.h"

#include <cstdint>
#include <string>
#include <string_view>

// programDir (with its final separator) + "视频文件登记列表.xls"
std::string WorkbookExportPath(std::string_view programDir);

// Pending events are processed (and the bars brought up to date) when at least this long has
// passed since the last time, and at least as long as that last time took, so that a large
// export spends its time writing; the break button is still seen within that time.
constexpr int64_t kExportEventIntervalNs = 10'000'000;

// Grid cell (c, r) goes to sheet cell (r + 1, c + 1) as "'" + text. A break (BreakFlag, set
// by the break button) skips the remaining cells and still saves what was written. The
// closing steps (hide the bars, save, close, disconnect) run however the export ends; a
// failure then goes on to the caller. Returns true when the cell loop ran to its end, false
// when called again while an export is running (nothing is done then). An event interval of
// 0 processes events after every cell.
bool ExportRegisterToWorkbook(const VideoRegister& grid, std::string_view gbPath, IShell& shell,
                              TExcelApplication& app, TExcelWorkbook& book,
                              int64_t eventIntervalNs = kExportEventIntervalNs);

// The command: exports to WorkbookExportPath and reports the path on the status line.
void ExportWorkbookCommand(const VideoRegister& grid, std::string_view programDir, IShell& shell,
                           TExcelApplication& app, TExcelWorkbook& book);
