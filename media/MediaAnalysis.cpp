#include "media/MediaAnalysis.h"

#include "fileops/FileHelpers.h"
#include "media/ProbesAhead.h"
#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "platform/ui/ShellDiskCalls.h"
#include "register/GridStore.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <optional>

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

TProbeEnd ProbeMediaFile(TFilterGraph& FG, IShell& shell, const std::string& path,
                         const TFileCheck& file, ProbeResult& result, int row,
                         TProbesAhead* ahead) {
    FG.StopPlayback();
    FG.EmptyGraph();
    shell.PB2().SetSuffix(QStringLiteral("%  获取信息 ") + GbToQString(path));
    if (!FG.Active()) FG.SetActive(true);
    if (file.error) std::rethrow_exception(file.error);
    result.size = file.size;
    if (BreakFlag) return TProbeEnd::Stopped;
    // The row's values as its probe ahead read them; its file changed since, or a row not
    // probed ahead, is probed here.
    switch (ahead ? ahead->Take(row, file, result) : TProbesAhead::TTaken::NotAhead) {
    case TProbesAhead::TTaken::Read:
        return TProbeEnd::Read;
    case TProbesAhead::TTaken::NoAnswer:
        return TProbeEnd::NoAnswer;
    case TProbesAhead::TTaken::Stopped:
        return TProbeEnd::Stopped;
    case TProbesAhead::TTaken::NotAhead:
        break;
    }
    struct EmptyAfter {
        TFilterGraph& FG;
        ~EmptyAfter() {
            FG.StopPlayback();
            FG.EmptyGraph();
        }
    } emptyAfter{FG};
    // A file that cannot be rendered reads 0 x 0, 00:00:00; a probe cut short by a break or
    // a close, or whose graph was left to a stuck state change, reads nothing.
    switch (FG.OpenMediaFile(file.real, TRenderPurpose::Probe)) {
    case kRenderAborted:
        return TProbeEnd::Stopped;
    case kRenderNoAnswer:
        return TProbeEnd::NoAnswer;
    default:
        break;
    }
    FG.StartPlayback();
    FG.PausePlayback();
    ReadVideoSize(FG, result.width, result.height);
    result.durationMs = FG.DurationMs();
    // Any of these steps may leave the graph to a call that did not return (or that a break
    // cut short); the duration may read the file again.
    if (!FG.Active()) return BreakFlag ? TProbeEnd::Stopped : TProbeEnd::NoAnswer;
    return TProbeEnd::Read;
}

void AnalyseRow(VideoRegister& reg, int row, TFilterGraph& FG, IShell& shell, TDiskCalls& calls,
                TProbesAhead* ahead) {
    const std::string path = RowFilePath(shell, reg, row);
    if (path.empty()) return;
    const std::optional<TFileCheck> file = calls.Call(path, [path] { return CheckFile(path); });
    if (calls.Stopped()) return;
    ProbeResult probe;
    TProbeEnd end = TProbeEnd::NoAnswer;
    if (file && file->exists) end = ProbeMediaFile(FG, shell, path, *file, probe, row, ahead);
    if (end == TProbeEnd::Stopped) return;
    if (end == TProbeEnd::NoAnswer) {
        // The file's check passed but the graph's change of state did not return: its mount
        // is taken as not answering for the rest of the command.
        if (file && file->exists) calls.MarkNotAnswering(path);
        shell.AddHistory(QStringLiteral("文件不存在 ") + GbToQString(path));
        return;
    }
    reg.SetCell(colSize, row, FormatSizeCell(probe.size));
    reg.SetCell(colDuration, row, FormatHMS(probe.durationMs / 1000));
    reg.SetCell(colResolution, row, FormatResolution(probe.width, probe.height));
}

void AnalyseSelectedRows(VideoRegister& reg, TFilterGraph& FG, IShell& shell) {
    const auto [top, bottom] = reg.Cursor().SelectedRows();
    BreakFlag = false;
    shell.LockControls(true);
    // The window comes back however the loop ends, a failure included. The break button
    // stays live while the graph waits on a disk.
    struct Restore {
        IShell& shell;
        TFilterGraph& FG;
        QEventLoop::ProcessEventsFlags waitEvents = FG.WaitEvents();
        ~Restore() {
            FG.SetWaitEvents(waitEvents);
            shell.LockControls(false);
            shell.ShowBreakButton(false);
            shell.PB2().SetVisible(false);
        }
    } restore{shell, FG};
    FG.SetWaitEvents(QEventLoop::AllEvents);
    shell.ShowBreakButton(true);
    // The break button stays live while a file check waits on a disk.
    TDiskCalls calls = ShellDiskCalls(shell, QEventLoop::AllEvents);
    // The first row is probed on the player's graph at its turn, as it always was; the rows
    // after it are probed ahead from the first wait on, each next one during the wait after
    // the row before it. The results of rows past a break or a failure go with `ahead`.
    TProbesAhead ahead(reg, bottom, calls, FG.RenderTimeoutMs());
    ahead.Fill(top + 1);
    shell.DelayMs(200);
    shell.PB2().SetVisible(true);
    shell.PB2().SetMax(bottom - top + 1);
    for (int row = top; row <= bottom; ++row) {
        shell.PB2().SetPosition(row - top + 1);
        if (BreakFlag) break;
        AnalyseRow(reg, row, FG, shell, calls, &ahead);
        ahead.Fill(row + 1);
        shell.DelayMs(100);
    }
}
