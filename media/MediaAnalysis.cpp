#include "media/MediaAnalysis.h"

#include "fileops/FileHelpers.h"
#include "platform/GbText.h"
#include "platform/Paths.h"
#include "register/GridStore.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

std::string FormatHMS(int64_t seconds) {
    char text[40];
    std::snprintf(text, sizeof text, "%2.2" PRId64 ":%2.2" PRId64 ":%2.2" PRId64, seconds / 3600,
                  (seconds / 60) % 60, seconds % 60);
    return text;
}

std::string FormatSizeCell(uint64_t size) {
    char text[40];
    std::snprintf(text, sizeof text, "%4.4" PRIu64 ",%3.3" PRIu64 ",%3.3" PRIu64, size / 1000000,
                  (size / 1000) % 1000, size % 1000);
    return text;
}

std::string FormatResolution(int width, int height) {
    char text[40];
    std::snprintf(text, sizeof text, "%4.4dx%3.3d", width, height);
    return text;
}

void ReadVideoSize(TFilterGraph& FG, int& width, int& height) {
    width = height = 0;
    FG.VideoSize(width, height);
}

bool ProbeMediaFile(TFilterGraph& FG, IShell& shell, const std::string& path, ProbeResult& result) {
    FG.StopPlayback();
    FG.EmptyGraph();
    shell.PB2().SetSuffix(QStringLiteral("%  获取信息 ") + GbToQString(path));
    if (!FG.Active()) FG.SetActive(true);
    result.size = GetFileSizeBytes(path);
    if (BreakFlag) return false;
    struct EmptyAfter {
        TFilterGraph& FG;
        ~EmptyAfter() {
            FG.StopPlayback();
            FG.EmptyGraph();
        }
    } emptyAfter{FG};
    // A file that cannot be rendered reads 0 x 0, 00:00:00; a probe cut short by a break or
    // a close reads nothing.
    if (FG.OpenMediaFile(ResolvePath(RegisterPath(path)).Bytes(), TRenderPurpose::Probe) ==
        kRenderAborted)
        return false;
    FG.StartPlayback();
    FG.PausePlayback();
    ReadVideoSize(FG, result.width, result.height);
    result.durationMs = FG.DurationMs();
    return true;
}

void AnalyseRow(VideoRegister& reg, int row, TFilterGraph& FG, IShell& shell) {
    const std::string path = RowFilePath(reg, row);
    if (path.empty()) return;
    if (!FileExists(RegisterPath(path))) {
        shell.AddHistory(QStringLiteral("文件不存在 ") + GbToQString(path));
        return;
    }
    ProbeResult probe;
    if (!ProbeMediaFile(FG, shell, path, probe)) return;
    reg.SetCell(colSize, row, FormatSizeCell(probe.size));
    reg.SetCell(colDuration, row, FormatHMS(probe.durationMs / 1000));
    reg.SetCell(colResolution, row, FormatResolution(probe.width, probe.height));
}

void AnalyseSelectedRows(VideoRegister& reg, TFilterGraph& FG, IShell& shell) {
    const auto [top, bottom] = reg.SelectedRows();
    BreakFlag = false;
    shell.LockControls(true);
    // The window comes back however the loop ends, a failure included.
    struct Restore {
        IShell& shell;
        ~Restore() {
            shell.LockControls(false);
            shell.ShowBreakButton(false);
            shell.PB2().SetVisible(false);
        }
    } restore{shell};
    shell.ShowBreakButton(true);
    shell.DelayMs(200);
    shell.PB2().SetVisible(true);
    shell.PB2().SetMax(bottom - top + 1);
    for (int row = top; row <= bottom; ++row) {
        shell.PB2().SetPosition(row - top + 1);
        if (BreakFlag) break;
        AnalyseRow(reg, row, FG, shell);
        shell.DelayMs(100);
    }
}
