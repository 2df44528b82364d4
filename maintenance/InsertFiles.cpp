#include "maintenance/InsertFiles.h"

#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "platform/ui/ShellDiskCalls.h"
#include "register/GridStore.h"
#include "register/NewRecord.h"

#include <QDir>
#include <QFile>
#include <optional>
#include <string>

namespace {
// Qt separates a filter's patterns with blanks. "*" stands for all files: "*.*" would leave
// out names without a dot here.
const QString kVideoFilters =
    QStringLiteral("常见视频文件 (*.rmvb *.rm *.dat *.mpg *.vob *.mkv *.avi *.mp4 *.ts *.flv "
                   "*.wmv);;所有文件 (*)");
// The folder the dialog opens in: the one it would open in by itself when that folder answers
// (asked off the UI thread, with the deadline: a dialog that opens in a share that has gone
// freezes the window), else the home folder, and the history says why.
QString StartFolder(IShell& shell, IDialogs& dialogs) {
    const QString last = dialogs.LastOpenFolder();
    if (last.isEmpty()) return QDir::homePath();
    TDiskCalls calls = ShellDiskCalls(shell);
    const std::optional<bool> there = calls.Call(
        UpperCase(QStringToGb(last)),
        [real = RealPath(QFile::encodeName(last).toStdString())] { return DirectoryExists(real); });
    if (there == true) return last;
    shell.AddHistory((there ? QStringLiteral("上次的文件夹不存在，从主文件夹打开: ")
                            : QStringLiteral("上次的文件夹无响应，从主文件夹打开: ")) +
                     last);
    return QDir::homePath();
}

} // namespace

int InsertFileRecords(VideoRegister& reg, IShell& shell, const QStringList& files) {
    const int y = reg.Cursor().CurRow();
    int count = 0;
    {
        VideoRegister::BulkChange bulk(reg);
        for (const QString& file : files) {
            const std::string path = QStringToGb(file);
            if (!StorablePath(path)) {
                shell.AddHistory(UnstorablePathLine(path));
                continue;
            }
            if (!reg.Cell(colPath, y).empty()) InsertRow(reg, y);
            WriteNewRecord(reg, y, path);
            ++count;
        }
        RenumberRows(reg);
    }
    shell.SetStatusText(1, QStringLiteral("共加入记录 ") + QString::number(count) + " 条");
    return count;
}

void InsertFromOpenDialog(VideoRegister& reg, IShell& shell, IDialogs& dialogs) {
    const QStringList files = dialogs.OpenFiles(QStringLiteral("选择视频文件"), kVideoFilters,
                                                StartFolder(shell, dialogs));
    if (files.isEmpty()) return;
    InsertFileRecords(reg, shell, files);
}
