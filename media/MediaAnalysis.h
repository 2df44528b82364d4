// "计算时长等参数": probes the files of the selected register rows through the graph and
// writes size, duration and resolution (columns 4 to 6), with progress on PB2 and the break
// button live. Also the cell formats that the player's time labels share.
#pragma once

#include "fileops/FileHelpers.h"
#include "media/FilterGraph.h"
#include "platform/disks/DiskCalls.h"
#include "platform/ui/Shell.h"
#include "register/VideoRegister.h"

#include <cstdint>
#include <string>

// Whole seconds as "%2.2d:%2.2d:%2.2d"; hours are not capped (360000 gives "100:00:00").
std::string FormatHMS(int64_t seconds);
// "%4.4d,%3.3d,%3.3d" of size div 1000000, (size div 1000) mod 1000, size mod 1000.
std::string FormatSizeCell(uint64_t size);
// "%4.4dx%3.3d" of width and height.
std::string FormatResolution(int width, int height);

class TProbesAhead;

struct ProbeResult {
    uint64_t size = 0;
    int width = 0, height = 0;
    int durationMs = 0;
};

// Native picture size of the rendered file; 0 x 0 when there is no video.
void ReadVideoSize(TFilterGraph& FG, int& width, int& height);
// How a probe ended: values read, stopped by BreakFlag before or during rendering, or a state
// change of the graph that its disk did not let return within the deadline.
enum class TProbeEnd { Read, Stopped, NoAnswer };
// Builds the graph for the file (a register path, checked as `file`) and reads its values,
// or takes them from the row's probe ahead when its file has not changed since. A file that
// cannot be rendered still gives its size, with 0 x 0 and no duration. Throws EFileError when
// the file cannot be opened.
TProbeEnd ProbeMediaFile(TFilterGraph& FG, IShell& shell, const std::string& path,
                         const TFileCheck& file, ProbeResult& result, int row = 0,
                         TProbesAhead* ahead = nullptr);
// Probes the row's file and writes columns 4 to 6; a missing file, or one on a mount that
// does not answer in this run of `calls` (its file check or the graph's state changes), gives
// the history line "文件不存在 " + path instead.
void AnalyseRow(VideoRegister& reg, int row, TFilterGraph& FG, IShell& shell, TDiskCalls& calls,
                TProbesAhead* ahead = nullptr);
// The command over the rows of the selection (mnCalClick without the grid's repaint).
void AnalyseSelectedRows(VideoRegister& reg, TFilterGraph& FG, IShell& shell);
