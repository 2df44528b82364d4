#include "media/ProbesAhead.h"

#include "media/MediaAnalysis.h"
#include "media/ProbeGraph.h"
#include "platform/disks/ReachGate.h"
#include "register/GridStore.h"

#include <algorithm>
#include <mutex>

// Shared with the probe's worker, which may outlive the command.
struct TProbesAhead::Probe {
    std::string path, mount; // the row's register path; the mount point it is charged to
    mutable std::mutex mutex;
    bool done = false;
    TFileCheck file; // what the probe's own check saw
    ProbeResult result;
};

namespace {
constexpr size_t kRoundTripProbes = 4;
} // namespace

TProbesAhead::TProbesAhead(const VideoRegister& reg, int bottom, TDiskCalls& calls,
                           int renderTimeoutMs)
    : reg_(reg), bottom_(bottom), calls_(calls), renderTimeoutMs_(renderTimeoutMs),
      mounts_(std::make_shared<const std::vector<TMountPoint>>(ReadMountTable())) {}

void TProbesAhead::Fill(int row) {
    std::erase_if(probes_, [row](const auto& p) { return p.first < row; });
    next_ = std::max(next_, row);
    for (; next_ <= bottom_; ++next_) {
        const std::string path = RowFilePath(reg_, next_);
        if (path.empty() || !calls_.Answering(path)) continue;
        const TMountPoint* mount = MountOfRegisterPath(*mounts_, path);
        const std::string place = mount ? mount->path : std::string();
        const size_t limit = mount && (ReachedByRoundTrips(mount->fsType) || OnRotatingDisk(*mount))
                                 ? kRoundTripProbes
                                 : 1;
        const auto onMount =
            size_t(std::count_if(probes_.begin(), probes_.end(),
                                 [&](const auto& p) { return p.second.probe->mount == place; }));
        if (onMount >= limit) break;
        Start(next_, path, place);
    }
}

// Through the deadline machinery: the probe is charged to its file's mount, and to the mount
// that a link on the way leads into while the check follows it.
void TProbesAhead::Start(int row, const std::string& path, const std::string& place) {
    auto probe = std::make_shared<Probe>();
    probe->path = path;
    probe->mount = place;
    InFlight& slot = probes_[row];
    slot.probe = probe;
    slot.worker = std::make_unique<TDeadlineWorker>();
    slot.worker->Post(
        [probe, mounts = mounts_, timeoutMs = renderTimeoutMs_](TDeadlineWorker::Clock& clock) {
            if (!clock.Begin(probe->mount)) return;
            TFileCheck file;
            ProbeResult result;
            {
                TReachGate gate(*mounts,
                                [&clock](const TMountPoint& m) { return clock.Charge(m.path); });
                try {
                    file = CheckFile(probe->path);
                } catch (const ENoAnswer&) {
                    file = TFileCheck(); // a link into a mount that stopped: left to the turn
                }
            }
            if (file.exists && !file.error) {
                result.size = file.size;
                ProbeOnOwnGraph(file.real, timeoutMs, result);
            }
            clock.Finish([&] {
                std::lock_guard lock(probe->mutex);
                probe->file = std::move(file);
                probe->result = result;
                probe->done = true;
            });
        });
}

bool TProbesAhead::Finished(int row) const {
    const auto it = probes_.find(row);
    if (it == probes_.end()) return false;
    std::lock_guard lock(it->second.probe->mutex);
    return it->second.probe->done;
}

TProbesAhead::TTaken TProbesAhead::Take(int row, const TFileCheck& file, ProbeResult& result) {
    const auto it = probes_.find(row);
    if (it == probes_.end()) return TTaken::NotAhead;
    const InFlight taken = std::move(it->second);
    probes_.erase(it);
    const Probe& probe = *taken.probe;
    if (probe.path != RowFilePath(reg_, row)) return TTaken::NotAhead;
    const WaitEnd end = calls_.WaitOn(*taken.worker, [&] {
        std::lock_guard lock(probe.mutex);
        return probe.done;
    });
    if (end == WaitEnd::Stopped) return TTaken::Stopped;
    if (end == WaitEnd::Deadline) {
        calls_.MarkPlaceNotAnswering(taken.worker->StuckPlace());
        return TTaken::NoAnswer;
    }
    std::lock_guard lock(probe.mutex);
    const TFileCheck& seen = probe.file;
    if (!seen.exists || seen.error || seen.real != file.real || seen.size != file.size ||
        seen.modifiedNs != file.modifiedNs)
        return TTaken::NotAhead;
    result = probe.result;
    return TTaken::Read;
}
