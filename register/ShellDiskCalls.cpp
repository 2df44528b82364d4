#include "register/ShellDiskCalls.h"

#include "platform/GbText.h"

TDiskCalls ShellDiskCalls(IShell& shell, QEventLoop::ProcessEventsFlags flags) {
    return TDiskCalls(
        [&shell](const TMountPoint& mount) {
            shell.AddHistory(QString::fromUtf8("位置无响应: ") +
                             GbToQString(DiskNameToGb(mount.path)));
        },
        [] { return BreakFlag; }, flags,
        [&shell](const TMountPoint& mount) {
            shell.AddHistory(QString::fromUtf8("正在等待位置应答: ") +
                             GbToQString(DiskNameToGb(mount.path)));
        });
}
