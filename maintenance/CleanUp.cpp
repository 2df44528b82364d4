#include "maintenance/CleanUp.h"

#include "fileops/FileHelpers.h"
#include "maintenance/ProgressThrottle.h"
#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "platform/ui/ShellDiskCalls.h"
#include "register/GridStore.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

const QString kCheckSuffix = QStringLiteral("%  检查 ");

void ShowRowOnBar(IProgress& bar, const VideoRegister& reg, int row) {
    bar.SetPosition(row);
    bar.SetSuffix(kCheckSuffix + GbToQString(RowPathText(reg, row)));
}

// For each row, the nearest row above it with the same main name, or 0: the row at which
// a scan upwards from it stops.
std::vector<int> NearestSameNameAbove(const VideoRegister& reg) {
    std::vector<int> above(size_t(reg.RowCount()), 0);
    std::unordered_map<std::string_view, int> lastSeen;
    lastSeen.reserve(size_t(reg.RowCount()));
    for (int r = 1; r <= reg.LastRow(); ++r) {
        auto [it, fresh] = lastSeen.try_emplace(reg.Cell(colName, r), r);
        if (!fresh) {
            above[size_t(r)] = it->second;
            it->second = r;
        }
    }
    return above;
}

// Renumbering in one reset of the views rather than one change per row.
void RenumberAll(VideoRegister& reg) {
    VideoRegister::BulkChange bulk(reg);
    RenumberRows(reg);
}

} // namespace

void DeleteSelectedRows(VideoRegister& reg) {
    const RowRange sel = reg.Cursor().SelectedRows();
    std::vector<int> rows;
    for (int r = sel.top; r <= sel.bottom; ++r)
        rows.push_back(r);
    DeleteRows(reg, std::move(rows));
    RenumberAll(reg);
}

int PurgeMissingFiles(VideoRegister& reg, IShell& shell) {
    // A break left from an earlier command does not stop this one; only a close during it.
    BreakFlag = false;
    IProgress& bar = shell.PB2();
    const int last = reg.LastRow();
    bar.SetMax(last);
    bar.SetVisible(true);
    ProgressThrottle throttle(last);
    // Bottom up, as row by row deletion meets them; the checks run off the UI thread, and a
    // row on a mount that does not answer counts as missing, as on an unplugged disk.
    std::vector<std::string> paths;
    paths.reserve(size_t(last));
    for (int r = last; r >= 1; --r)
        paths.push_back(RowFilePath(reg, r));
    if (last >= 1 && throttle.Due(last)) ShowRowOnBar(bar, reg, last);
    TDiskCalls calls = ShellDiskCalls(shell);
    const std::vector<std::optional<bool>> found = calls.Map<bool>(
        std::move(paths),
        [](const std::string& path) { return !path.empty() && AnyFileExists(RegisterPath(path)); },
        [&](size_t done) {
            if (const int r = last - int(done); r >= 1 && throttle.Due(r))
                ShowRowOnBar(bar, reg, r);
        });
    std::vector<int> gone;
    int count = 0;
    for (int r = last; r >= 1 && !calls.Stopped(); --r) {
        if (found[size_t(last - r)].value_or(false)) continue;
        gone.push_back(r);
        if (!reg.Cell(colPath, r).empty()) ++count;
    }
    DeleteRows(reg, std::move(gone));
    bar.SetVisible(false);
    RenumberAll(reg);
    shell.SetStatusText(1, QStringLiteral("共删除不存在记录 ") + QString::number(count) + " 条");
    return count;
}

int RemoveRepeatedNames(VideoRegister& reg, IShell& shell) {
    IProgress& rowBar = shell.PB2();
    IProgress& scanBar = shell.PB3();
    const int last = reg.LastRow();
    rowBar.SetMax(last);
    rowBar.SetVisible(true);
    scanBar.SetVisible(true);
    shell.ClearHistory();

    // A row repeats a name exactly when some row above it holds the same name; rows above
    // a row are never removed before it is examined, so the bottom-up order of examination
    // decides only the order of the history lines.
    const std::vector<int> above = NearestSameNameAbove(reg);
    ProgressThrottle throttle(last);
    std::vector<int> repeats;
    QStringList lines;
    for (int i = last; i >= 2; --i) {
        if (throttle.Due(i)) {
            ShowRowOnBar(rowBar, reg, i);
            scanBar.SetMax(i - 1);
            scanBar.SetSuffix(QString());
            scanBar.SetPosition(above[size_t(i)] ? above[size_t(i)] : 1);
        }
        if (above[size_t(i)] == 0) continue;
        lines << QStringLiteral("删除记录：") + GbToQString(RowPathText(reg, i));
        repeats.push_back(i);
    }
    shell.AddHistoryLines(lines);
    DeleteRows(reg, repeats);
    rowBar.SetVisible(false);
    scanBar.SetVisible(false);
    shell.ShowHistoryPage();
    RenumberAll(reg);
    const int count = int(repeats.size());
    shell.SetStatusText(1, QStringLiteral("共删除记录：") + QString::number(count) + "条");
    return count;
}
