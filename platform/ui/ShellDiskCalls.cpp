#include "platform/ui/ShellDiskCalls.h"

#include "platform/fs/FileErrors.h"
#include "platform/text/GbText.h"

#include <cerrno>
#include <memory>

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

DiskWork ShellDiskWork(IShell& shell, std::string_view path) {
    struct Calls {
        explicit Calls(IShell& shell) : calls(ShellDiskCalls(shell)) {}
        TDiskCalls calls;
    };
    auto held = std::make_shared<Calls>(shell);
    return [held, gb = std::string(path)](const std::function<void()>& work) {
        // A change is waited for until the share answers; no answer is a mount this
        // command already found dead.
        if (!held->calls.Run(gb, work, true)) ThrowCreateError(gb, EHOSTDOWN);
    };
}
