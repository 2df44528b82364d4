#include "platform/disks/DiskCalls.h"

TDiskCalls::TDiskCalls(std::function<void(const TMountPoint&)> notAnswering,
                       std::function<bool()> stop, QEventLoop::ProcessEventsFlags flags,
                       std::function<void(const TMountPoint&)> waiting)
    : mounts_(std::make_shared<const std::vector<TMountPoint>>(ReadMountTable())),
      notAnswering_(std::move(notAnswering)), waiting_(std::move(waiting)), stop_(std::move(stop)),
      flags_(flags) {}

const TMountPoint* TDiskCalls::MountAt(const std::string& place) const {
    // The later of two mounts on one point is the one that is seen.
    for (auto m = mounts_->rbegin(); m != mounts_->rend(); ++m)
        if (m->path == place) return &*m;
    return nullptr;
}

std::string TDiskCalls::PlaceOf(const std::vector<TMountPoint>& mounts, std::string_view gbPath) {
    const TMountPoint* mount = MountOfRegisterPath(mounts, gbPath);
    return mount ? mount->path : std::string();
}

std::string TDiskCalls::PlaceOfReal(std::string_view realPath) const {
    const TMountPoint* mount = MountOfRealPath(*mounts_, realPath);
    return mount ? mount->path : std::string();
}

bool TDiskCalls::Answering(std::string_view gbPath) const {
    return deadMounts_.empty() || !deadMounts_.contains(PlaceOf(*mounts_, gbPath));
}

void TDiskCalls::MarkNotAnswering(std::string_view gbPath) {
    MarkPlaceNotAnswering(PlaceOf(*mounts_, gbPath));
}

void TDiskCalls::MarkPlaceNotAnswering(const std::string& place) {
    if (place.empty() || !deadMounts_.insert(place).second || !notAnswering_) return;
    if (const TMountPoint* mount = MountAt(place)) notAnswering_(*mount);
}

void TDiskCalls::MarkDeviceNotAnswering(dev_t device) {
    for (auto m = mounts_->rbegin(); m != mounts_->rend(); ++m)
        if (m->device == device) return MarkPlaceNotAnswering(m->path);
}

void TDiskCalls::Drive(const std::vector<std::string>& gbPaths, Progress& state,
                       const std::function<void(size_t)>& run,
                       const std::function<void(size_t)>& progress, bool change) {
    const size_t count = gbPaths.size();
    size_t from = 0;
    while (from < count && !stopped_) {
        state.next = from; // the worker is abandoned or not started: no lock needed
        run(from);
        size_t next = from, shown = from;
        bool told = false;
        const WaitEnd end = worker_.Wait([&] { return (next = state.next) == count; },
                                         change ? nullptr : stop_, flags_, 2, !change,
                                         [&] {
                                             if (progress && next != shown) progress(shown = next);
                                             if (change && !told && worker_.Overdue()) {
                                                 told = true;
                                                 const TMountPoint* mount =
                                                     MountAt(worker_.StuckPlace());
                                                 if (mount && waiting_) waiting_(*mount);
                                             }
                                         });
        if (end == WaitEnd::Done) break;
        // The worker is stuck in a call (or the wait stopped): abandon it, charged to the
        // place it waits on.
        const std::string stuck = worker_.StuckPlace();
        Abandon();
        if (end == WaitEnd::Stopped) {
            stopped_ = true;
            break;
        }
        MarkPlaceNotAnswering(stuck);
        from = next + 1;
    }
}
