#include "search/FolderReadAhead.h"

#include "platform/disks/DiskCalls.h"
#include "platform/disks/MountTable.h"
#include "platform/fs/FileId.h"
#include "platform/threads/Clock.h"
#include "platform/threads/DetachedWorker.h"
#include "platform/threads/EventWait.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace {

// Listings read but not yet taken by the walk, beyond which the workers read only the folder
// the walk waits for: a search of a whole disk does not hold the disk in memory twice.
constexpr size_t kUnclaimedListings = 4096;

// Whether folders on the device answer through round trips, over a network or through a
// process of their own (FUSE): then every read in flight keeps the link busy. On a disk whose
// folders the cache holds, more threads than cores only contend for the cores.
bool ReadsByRoundTrips(dev_t device) {
    return ReachedByRoundTrips(FileSystemOfDevice(ReadMountTable(), device));
}

enum class Phase { Pending, Reading, Done, Dropped };

struct Job {
    std::string real;
    TFileId id{};      // a link's: the listed folder's device and the link's inode
    bool link = false; // the lookup of what a link leads to
    dev_t waitsOn = 0; // the device the call in hand is charged to
    TFolderReadAhead::Key key;
    uint64_t order = 0; // tells apart two pending folders that got the same key by different ways
    Phase phase = Phase::Pending;
    std::vector<TFolderEntry> entries;
    int64_t started = 0;
    unsigned worker = 0;
};

std::string Below(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + '/' + name;
}

} // namespace

struct TFolderReadAhead::State {
    std::mutex mutex;
    std::condition_variable work;     // workers wait for folders to read
    std::condition_variable answered; // the walk waits for the folder it wants
    std::map<std::pair<Key, uint64_t>, std::shared_ptr<Job>> pending;
    std::unordered_map<TFileId, std::shared_ptr<Job>, TFileIdHash> jobs; // not taken yet
    std::unordered_set<TFileId, TFileIdHash> queued;                     // every folder ever queued
    std::vector<std::shared_ptr<Job>> reading;
    std::set<dev_t> deadDevices;
    std::set<unsigned> retired; // abandoned workers
    std::shared_ptr<Job> wanted;
    size_t unclaimed = 0;
    bool full = false; // reading ahead pauses until the walk has taken half the listings
    uint64_t nextOrder = 0;
    bool readAhead = true;      // false: one read in flight, the folder the walk waits for
    unsigned readLimit = 1;     // reads that may run at once now
    unsigned readsInFlight = 1; // and once a folder on a share has been read
    std::unordered_map<dev_t, bool> roundTrips; // ReadsByRoundTrips of each device met
    bool closed = false;

    // Under the lock.
    void Queue(std::string real, TFileId id, Key key, bool link) {
        auto job = std::make_shared<Job>();
        job->real = std::move(real);
        job->id = id;
        job->link = link;
        job->key = std::move(key);
        job->order = nextOrder++;
        pending.emplace(std::pair(job->key, job->order), job);
        jobs.emplace(id, std::move(job));
        queued.insert(id);
    }
    // Whether the device reads by round trips; the mount table is read once per device.
    bool RoundTrips(dev_t device) {
        {
            std::lock_guard lock(mutex);
            if (auto it = roundTrips.find(device); it != roundTrips.end()) return it->second;
        }
        const bool remote = ReadsByRoundTrips(device);
        std::lock_guard lock(mutex);
        roundTrips.emplace(device, remote);
        return remote;
    }
    bool WantedPending() const { return wanted && wanted->phase == Phase::Pending; }
    bool Startable() const {
        return WantedPending() ||
               (readAhead && !pending.empty() && reading.size() < readLimit && !full);
    }
    std::shared_ptr<Job> TakeNext() {
        std::shared_ptr<Job> job = WantedPending() ? wanted : pending.begin()->second;
        pending.erase(std::pair(job->key, job->order));
        return job;
    }
    // What the link of the job leads to, looked up as a call charged to the device it leads
    // into: a target on a device that does not answer costs the walk that entry alone (the
    // job is dropped, and the walk names it).
    enum class LinkLookUp { Abandoned, Dropped, Looked };
    LinkLookUp LookUpLink(const std::shared_ptr<Job>& job, unsigned self,
                          std::vector<TFolderEntry>& entries) {
        const dev_t target = LinkTargetDevice(job->real);
        bool dropped, wake;
        {
            std::lock_guard lock(mutex);
            if (closed || retired.contains(self)) return LinkLookUp::Abandoned;
            if (target != 0) {
                job->waitsOn = target;
                job->started = CounterNow();
            }
            dropped = deadDevices.contains(job->waitsOn);
            wake = dropped && job == wanted;
            if (dropped) {
                std::erase(reading, job);
                job->phase = Phase::Dropped;
            }
        }
        if (wake) {
            answered.notify_one();
            WakeEventWait();
        }
        if (dropped) return LinkLookUp::Dropped;
        entries = ResolveLinkEntry(job->real);
        return LinkLookUp::Looked;
    }
    void Run(unsigned self) {
        for (;;) {
            std::shared_ptr<Job> job;
            {
                std::unique_lock lock(mutex);
                work.wait(lock, [&] { return closed || retired.contains(self) || Startable(); });
                if (closed || retired.contains(self)) return;
                job = TakeNext();
                if (deadDevices.contains(job->id.dev)) {
                    job->phase = Phase::Dropped; // the walk sees it at its next look
                    continue;
                }
                job->phase = Phase::Reading;
                job->started = CounterNow();
                job->worker = self;
                job->waitsOn = job->id.dev;
                reading.push_back(job);
            }
            std::vector<TFolderEntry> entries;
            if (!job->link) {
                entries = ReadFolderEntries(job->real, job->id.dev, job->id.ino);
            } else if (const LinkLookUp look = LookUpLink(job, self, entries);
                       look != LinkLookUp::Looked) {
                if (look == LinkLookUp::Abandoned) return;
                continue;
            }
            const bool remote = RoundTrips(job->waitsOn);
            bool wake;
            size_t queuedNow = 0;
            {
                std::lock_guard lock(mutex);
                if (closed || retired.contains(self)) return; // abandoned: the job is dropped
                std::erase(reading, job);
                for (size_t i = 0; i < entries.size(); ++i) {
                    const TFolderEntry& e = entries[i];
                    const bool link = e.kind == TFolderEntry::Kind::Link;
                    if (e.kind == TFolderEntry::Kind::File || deadDevices.contains(e.dev) ||
                        queued.contains({e.dev, e.ino}))
                        continue;
                    // A link's folder is read under the link's own path and place.
                    Key key = job->key;
                    if (!job->link) key.push_back(uint32_t(i));
                    Queue(job->link ? job->real : Below(job->real, e.name), {e.dev, e.ino},
                          std::move(key), link);
                    ++queuedNow;
                }
                job->entries = std::move(entries);
                job->phase = Phase::Done;
                if (++unclaimed >= kUnclaimedListings) full = true;
                wake = job == wanted;
                if (readLimit < readsInFlight && remote) {
                    readLimit = readsInFlight;
                    queuedNow = readsInFlight;
                }
            }
            // One waiting worker per new folder beyond the one this worker takes next: on a
            // local disk, waking every worker for each listing costs more than the reads.
            if (readAhead)
                for (size_t k = 1; k < queuedNow; ++k)
                    work.notify_one();
            if (wake) {
                answered.notify_one();
                WakeEventWait();
            }
        }
    }
};

TFolderReadAhead::TFolderReadAhead(unsigned readsInFlight) : state_(std::make_shared<State>()) {
    state_->readAhead = readsInFlight > 1;
    state_->readsInFlight = std::max(1u, readsInFlight);
    state_->readLimit =
        std::min(state_->readsInFlight, std::max(2u, std::thread::hardware_concurrency()));
    for (unsigned i = 0; i < std::max(1u, readsInFlight); ++i)
        StartWorker();
}

TFolderReadAhead::~TFolderReadAhead() {
    {
        // A worker stuck in a call keeps the state alive: it holds nothing of the walk's.
        std::lock_guard lock(state_->mutex);
        state_->closed = true;
        state_->pending.clear();
        state_->jobs.clear();
        state_->queued.clear();
        state_->reading.clear();
        state_->wanted.reset();
    }
    state_->work.notify_all();
}

void TFolderReadAhead::StartWorker() {
    const unsigned self = unsigned(workers_.size());
    workers_.push_back(std::make_unique<TDetachedWorker>());
    workers_.back()->Post([state = state_, self] { state->Run(self); });
}

void TFolderReadAhead::AbandonOverdue() {
    const int64_t deadline = int64_t(DiskDeadlineMs()) * CounterFrequency() / 1000;
    const int64_t now = CounterNow();
    size_t abandoned = 0;
    {
        std::lock_guard lock(state_->mutex);
        State& s = *state_;
        for (auto it = s.reading.begin(); it != s.reading.end();) {
            Job& job = **it;
            if (now - job.started <= deadline) {
                ++it;
                continue;
            }
            job.phase = Phase::Dropped;
            s.retired.insert(job.worker);
            s.deadDevices.insert(job.waitsOn);
            it = s.reading.erase(it);
            ++abandoned;
        }
        if (abandoned == 0) return;
        // Nothing more is read from a device that does not answer.
        std::erase_if(s.pending, [&](const auto& item) {
            if (!s.deadDevices.contains(item.second->id.dev)) return false;
            item.second->phase = Phase::Dropped;
            return true;
        });
    }
    while (abandoned-- > 0)
        StartWorker();
}

TFolderReadAhead::Answer TFolderReadAhead::Take(const std::string& real, dev_t dev, ino_t ino,
                                                const Key& key, std::vector<TFolderEntry>& entries,
                                                const std::function<bool()>& stop, bool link) {
    State& s = *state_;
    const TFileId id{dev, ino};
    std::shared_ptr<Job> job;
    bool pending = false;
    // Under the lock: a listing that is there is handed over.
    auto claim = [&] {
        if (job->phase == Phase::Done) {
            entries = std::move(job->entries);
            s.jobs.erase(id);
            // The workers go on once half the listings are taken, not for each one: a walk
            // slower than the reads would otherwise wake a worker for every folder.
            if (--s.unclaimed <= kUnclaimedListings / 2 && s.full) {
                s.full = false;
                s.work.notify_all();
            }
            return true;
        }
        return job->phase == Phase::Dropped;
    };
    {
        std::lock_guard lock(s.mutex);
        auto it = s.jobs.find(id);
        if (it == s.jobs.end()) {
            if (s.deadDevices.contains(dev)) return Answer::NotAnswering;
            s.Queue(real, id, key, link);
            it = s.jobs.find(id);
        }
        job = it->second;
        if (claim()) return job->phase == Phase::Done ? Answer::Listed : Answer::NotAnswering;
        s.wanted = job;
        pending = job->phase == Phase::Pending;
    }
    if (pending) s.work.notify_one(); // any worker that waits takes the wanted folder first
    bool finished;
    {
        // A local disk answers within microseconds: wait on the workers alone for a moment
        // before handling window events.
        std::unique_lock lock(s.mutex);
        finished = s.answered.wait_for(lock, std::chrono::milliseconds(2), [&] {
            return job->phase == Phase::Done || job->phase == Phase::Dropped;
        });
    }
    if (!finished && WaitUntil(
                         [&] {
                             AbandonOverdue();
                             std::lock_guard lock(s.mutex);
                             return job->phase == Phase::Done || job->phase == Phase::Dropped;
                         },
                         INT_MAX, stop) == WaitEnd::Stopped) {
        std::lock_guard lock(s.mutex);
        s.wanted.reset();
        return Answer::Stopped;
    }
    std::lock_guard lock(s.mutex);
    s.wanted.reset();
    claim();
    return job->phase == Phase::Done ? Answer::Listed : Answer::NotAnswering;
}
