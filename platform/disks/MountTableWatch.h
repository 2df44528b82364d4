// The mount table, followed: the kernel flags /proc/self/mountinfo (an exceptional condition
// to poll) each time something is mounted or unmounted, and the table is then read again
// from its start. Neither the watch nor the reading calls into a mounted file system.
#pragma once

#include "platform/disks/MountTable.h"

#include <QObject>
#include <vector>

class QSocketNotifier;

class TMountTableWatch : public QObject {
    Q_OBJECT
public:
    explicit TMountTableWatch(QObject* parent = nullptr);
    ~TMountTableWatch() override;

    const std::vector<TMountPoint>& Mounts() const { return mounts_; }

signals:
    void Changed();

private:
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::vector<TMountPoint> mounts_;
};
