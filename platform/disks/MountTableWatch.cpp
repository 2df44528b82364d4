#include "platform/disks/MountTableWatch.h"

#include <QSocketNotifier>
#include <fcntl.h>
#include <unistd.h>

TMountTableWatch::TMountTableWatch(QObject* parent) : QObject(parent) {
    fd_ = open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    mounts_ = ReadMountTable(fd_);
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Exception, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        mounts_ = ReadMountTable(fd_);
        emit Changed();
    });
}

TMountTableWatch::~TMountTableWatch() {
    delete notifier_; // before its descriptor goes
    if (fd_ >= 0) close(fd_);
}
