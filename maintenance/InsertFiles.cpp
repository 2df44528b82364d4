#include "maintenance/InsertFiles.h"

#include "platform/GbText.h"
#include "register/GridStore.h"
#include "register/NewRecord.h"

#include <string>

namespace {
// Qt separates a filter's patterns with blanks. "*" stands for all files: "*.*" would leave
// out names without a dot here.
const QString kVideoFilters =
    QStringLiteral("常见视频文件 (*.rmvb *.rm *.dat *.mpg *.vob *.mkv *.avi *.mp4 *.ts *.flv "
                   "*.wmv);;所有文件 (*)");
} // namespace

int InsertFileRecords(VideoRegister& reg, IShell& shell, const QStringList& files) {
    const int y = reg.CurRow();
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
    const QStringList files = dialogs.OpenFiles(QStringLiteral("选择视频文件"), kVideoFilters);
    if (files.isEmpty()) return;
    InsertFileRecords(reg, shell, files);
}
