#include "export/WorkbookExport.h"

#include "export/XlsWorkbook.h"
#include "platform/text/GbText.h"
#include "platform/threads/Clock.h"
#include "platform/ui/ShellDiskCalls.h"

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

// The cell's text cut to what a workbook cell holds, never inside a surrogate pair; false
// when it fits. A GB18030 character is never shorter in UTF-16 than in bytes, so only a
// cell of more bytes than the limit can be too long.
bool CutToWorkbookCell(std::string_view gb, std::string& value) {
    constexpr int limit = XlsWorkbook::kMaxTextLength;
    if (gb.size() <= size_t(limit)) return false;
    QString text = GbToQString(gb);
    if (text.size() <= limit) return false;
    text.truncate(text[limit - 1].isHighSurrogate() ? limit - 1 : limit);
    value.append(QStringToGb(text));
    return true;
}

// The cell loop of the export: every cell of rows 0 to rows - 1, as long as no break.
void WriteCells(const VideoRegister& grid, int rows, IShell& shell, TExcelApplication& app,
                int64_t eventIntervalNs) {
    Throttle throttle(eventIntervalNs);
    std::string value;
    for (int r = 0; r < rows && !BreakFlag; ++r) {
        bool cut = false;
        // Other commands stay usable meanwhile: rows removed by them are not written.
        for (int c = 0; c < grid.ColCount() && !BreakFlag && r <= grid.LastRow(); ++c) {
            value.assign(1, '\'');
            if (CutToWorkbookCell(grid.Cell(c, r), value)) {
                if (!cut)
                    shell.AddHistory(
                        QStringLiteral(u"单元格超过32767个字符，已截断输出: 第 %1 行").arg(r));
                cut = true;
            } else {
                value.append(grid.Cell(c, r));
            }
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

    // Closing steps: the workbook written so far is saved after a break, which the user
    // asked for; after a failure the previous workbook stays. The save replaces it whole.
    shell.PB2().SetVisible(false);
    shell.PB3().SetVisible(false);
    shell.ShowBreakButton(false);
    try {
        // The data folder may lie on a share: the write waits there with the window answering.
        if (!failure) ShellDiskWork(shell, gbPath)([&] { book.SaveCopyAs(gbPath, 0); });
    } catch (...) {
        failure = std::current_exception();
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
