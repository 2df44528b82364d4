#include "export/WorkbookExport.h"

#include "fileops/FileHelpers.h"
#include "platform/Clock.h"
#include "platform/GbText.h"

#include <algorithm>
#include <exception>

namespace {
// Says when the window's turn has come: the first time, and then once the interval has passed
// since the end of the last turn, and at least as long as that turn took, so that the window
// never takes more time than the writing. An interval of 0 gives a turn after every cell.
class Throttle {
public:
    explicit Throttle(int64_t intervalNs) : interval_(intervalNs) {}
    bool Due() {
        if (interval_ == 0) return true;
        turnStart_ = CounterNow();
        return !started_ || turnStart_ - turnEnd_ >= std::max(interval_, turnCost_);
    }
    void TurnDone() {
        if (interval_ == 0) return;
        started_ = true;
        turnEnd_ = CounterNow();
        turnCost_ = turnEnd_ - turnStart_;
    }

private:
    int64_t interval_;
    int64_t turnStart_ = 0, turnEnd_ = 0, turnCost_ = 0;
    bool started_ = false;
};

// The cell loop of the export: every cell of rows 0 to rows - 1, as long as no break.
void WriteCells(const VideoRegister& grid, int rows, IShell& shell, TExcelApplication& app,
                int64_t eventIntervalNs) {
    Throttle throttle(eventIntervalNs);
    std::string value;
    for (int r = 0; r < rows && !BreakFlag; ++r) {
        // Other commands stay usable meanwhile: rows removed by them are not written.
        for (int c = 0; c < grid.ColCount() && !BreakFlag && r <= grid.LastRow(); ++c) {
            value.assign(1, '\'').append(grid.Cell(c, r));
            app.CellsItemPut(r + 1, c + 1, value);
            if (!throttle.Due()) continue;
            shell.PB2().SetPosition(r + 1);
            shell.PB2().SetSuffix(QStringLiteral(u"%  处理行：") + QString::number(r + 1));
            shell.PB3().SetPosition(c + 1);
            shell.ProcessEvents(); // the break button takes effect here
            throttle.TurnDone();
        }
    }
}

bool exportRunning = false;
} // namespace

std::string WorkbookExportPath(std::string_view programDir) {
    return std::string(programDir) + Utf8ToGb("视频文件登记列表.xls");
}

bool ExportRegisterToWorkbook(const VideoRegister& grid, std::string_view gbPath, IShell& shell,
                              TExcelApplication& app, TExcelWorkbook& book,
                              int64_t eventIntervalNs) {
    // The controls stay usable during an export, the export command included.
    if (exportRunning) return false;
    exportRunning = true;
    struct Running {
        ~Running() { exportRunning = false; }
    } running;

    ForceDeleteFile(gbPath); // a missing file is no failure
    const int rows = grid.RowCount();
    shell.PB2().SetMax(rows - 1);
    shell.PB2().SetVisible(true);
    shell.PB3().SetMax(grid.ColCount() - 1);
    shell.PB3().SetSuffix(QStringLiteral("%"));
    shell.PB3().SetVisible(true);
    BreakFlag = false;
    shell.ShowBreakButton(true);

    bool done = false;
    std::exception_ptr failure;
    try {
        app.Connect();
        app.SetVisible(0, false);
        book.ConnectTo(app, app.WorkbooksAdd({}, 0));
        WriteCells(grid, rows, shell, app, eventIntervalNs);
        done = true;
    } catch (...) {
        failure = std::current_exception();
    }

    // Closing steps: the workbook written so far is saved, even after a break or a failure.
    shell.PB2().SetVisible(false);
    shell.PB3().SetVisible(false);
    shell.ShowBreakButton(false);
    try {
        book.SaveCopyAs(gbPath, 0);
    } catch (...) {
        if (!failure) failure = std::current_exception();
    }
    // Closed and released even when the save failed, so that no workbook stays held.
    if (book.Connected()) book.Close(false, {}, {}, 0);
    book.Disconnect();
    app.Disconnect();
    if (failure) std::rethrow_exception(failure);
    return done;
}

void ExportWorkbookCommand(const VideoRegister& grid, std::string_view programDir, IShell& shell,
                           TExcelApplication& app, TExcelWorkbook& book) {
    const std::string path = WorkbookExportPath(programDir);
    if (!ExportRegisterToWorkbook(grid, path, shell, app, book)) return;
    shell.SetStatusText(1, QStringLiteral(u"输出登记库电子表格完成：") + GbToQString(path));
}
