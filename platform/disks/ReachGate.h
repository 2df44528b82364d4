// What a disk call made on a worker thread really reaches. The path functions tell the gate
// of their thread each path before they ask the file system about it; the gate resolves the
// path's links as the call will and charges the call to the mount reached, so that a call
// stuck past its deadline marks that mount alone, and a path that runs through a mount that
// does not answer gets no answer at once, without a call.
#pragma once

#include "platform/disks/MountTable.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// Thrown out of the call when the path reaches a mount that does not answer: the call has
// no answer, which is never "missing".
struct ENoAnswer {};

class TReachGate {
public:
    // Opens the gate on this thread for the calls until its end. `enter(mount)` charges the
    // call in hand to the mount and tells whether the mount still answers.
    TReachGate(const std::vector<TMountPoint>& mounts,
               std::function<bool(const TMountPoint&)> enter);
    ~TReachGate();
    TReachGate(const TReachGate&) = delete;
    TReachGate& operator=(const TReachGate&) = delete;

    // The gate of this thread; none outside a timed call.
    static TReachGate* Current();
    // Charges the call to the mount that `real` reaches; throws ENoAnswer when it does not
    // answer.
    void Reach(const std::string& real);
    // A new call starts (its worker charged it anew): the next mount reached is charged again.
    void NewCall();

private:
    struct Folder {
        std::string reached;                // the path with its links followed
        const TMountPoint* mount = nullptr; // the mount that holds it
    };
    // What the path reaches, remembered for the gate's calls.
    const Folder& Reached(const std::string& path);
    // enter_ once per mount in a row; false (noted) when the mount does not answer.
    bool Charge(const TMountPoint* mount);

    const std::vector<TMountPoint>& mounts_;
    std::function<bool(const TMountPoint&)> enter_;
    std::function<bool(const TMountPoint&)> allowed_; // Charge, for ReachedPath
    std::unordered_set<std::string> points_;          // the mount points
    const TMountPoint* charged_ = nullptr;
    bool answers_ = true; // what enter_ said of charged_
    bool refused_ = false;
    std::unordered_map<std::string, Folder> folders_; // resolved paths
    TReachGate* outer_;
};

// Called by the path functions before they ask the file system about `real` (an absolute
// path as the call spells it); nothing without a gate.
inline void Reaching(const std::string& real) {
    if (TReachGate* gate = TReachGate::Current()) gate->Reach(real);
}
