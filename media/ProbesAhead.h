// The probes of the analysis ahead of the row in hand, so that a row's values are usually read
// when its turn comes: each on a muted graph of its own, on a worker thread of its own, up to
// four in flight on a mount reached by round trips (a network share) or on a rotating disk,
// one on any other. Nothing here touches the window or the register: the command takes each
// result at its row's turn, in order, and what it does not take is thrown away.
#pragma once

#include "fileops/FileHelpers.h"
#include "platform/disks/DiskCalls.h"
#include "platform/disks/MountTable.h"
#include "platform/threads/DeadlineWorker.h"
#include "register/VideoRegister.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

struct ProbeResult;

class TProbesAhead {
public:
    // Rows up to `bottom` of the register; a probe's preroll is bounded as the graph's is.
    TProbesAhead(const VideoRegister& reg, int bottom, TDiskCalls& calls, int renderTimeoutMs);
    TProbesAhead(const TProbesAhead&) = delete;
    TProbesAhead& operator=(const TProbesAhead&) = delete;

    // Drops the probes of rows before `row` and starts those of the next rows from it, in
    // order, as far as the limit of each row's mount allows. Rows without a file and rows on
    // a mount that does not answer in this command are left to their turn.
    void Fill(int row);
    // Whether the row's probe ahead has finished (the command waits for it in Take).
    bool Finished(int row) const;

    enum class TTaken { NotAhead, Read, NoAnswer, Stopped };
    // The row's values as its probe ahead read them, waited for as the command's disk calls
    // wait: NotAhead when the row was not probed ahead or its file changed since (the size, the
    // modification time or the file on disk differ from the row's check `file`); NoAnswer
    // when the probe has run past the disk deadline (charged to the file's mount); Stopped on
    // a break.
    TTaken Take(int row, const TFileCheck& file, ProbeResult& result);

private:
    struct Probe;
    // A probe and the worker it runs on; dropping the worker abandons a probe still running.
    struct InFlight {
        std::shared_ptr<Probe> probe;
        std::unique_ptr<TDeadlineWorker> worker;
    };
    void Start(int row, const std::string& path, const std::string& place);

    const VideoRegister& reg_;
    int bottom_;
    TDiskCalls& calls_;
    int renderTimeoutMs_;
    std::shared_ptr<const std::vector<TMountPoint>> mounts_;
    std::map<int, InFlight> probes_; // started and not taken, by row
    int next_ = 0;                   // the first row not looked at yet
};
