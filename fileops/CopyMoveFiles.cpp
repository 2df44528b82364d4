#include "fileops/CopyMoveFiles.h"

#include "fileops/BlockCopyFile.h"
#include "fileops/SystemMoveFile.h"
#include "platform/GbText.h"
#include "platform/Paths.h"
#include "register/GridStore.h"
#include "register/StorableCell.h"

#include <QFile>
#include <unordered_map>

namespace {

enum class Transfer { Copy, Move };

QString Gb(std::string_view text) {
    return GbToQString(text);
}

// Unlocks the window however the row loop ends. The rows pass in microseconds each: the
// window shows the bars and the log paced meanwhile.
class BusyWindow {
public:
    explicit BusyWindow(IShell& shell) : shell_(shell) {
        shell_.LockControls(true);
        shell_.ShowBreakButton(true);
        shell_.SetPaced(true);
    }
    ~BusyWindow() {
        shell_.PB2().SetVisible(false);
        shell_.SetPaced(false);
        shell_.LockControls(false);
        shell_.ShowBreakButton(false);
    }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

private:
    IShell& shell_;
};

class TransferRun {
public:
    TransferRun(const FileOpsContext& ctx, const VolumeQueries& volumes, Transfer kind)
        : ctx_(ctx), volumes_(volumes), kind_(kind) {}

    void Run() {
        // The rows of a command mostly share a few folders: each is resolved once.
        ResolverSession folders;
        IShell& shell = ctx_.shell;
        shell.ClearHistory();
        const RowRange rows = ctx_.reg.SelectedRows();
        if (!PickFolder(folders)) return;
        if (!EnoughSpace(rows)) return;

        IProgress& pb2 = shell.PB2();
        pb2.SetPosition(0);
        pb2.SetMax(rows.bottom - rows.top + 1);
        pb2.SetVisible(true);
        BreakFlag = false;
        {
            BusyWindow busy(shell);
            RunRows(rows);
            pb2.SetVisible(false);
            shell.ShowHistoryPage();
            shell.SetStatusText(1, (kind_ == Transfer::Copy ? QStringLiteral("成功拷贝文件 ")
                                                            : QStringLiteral("成功移动文件 ")) +
                                       QString::number(done_) + QStringLiteral("个"));
            if (done_ > 0) SaveRegister(ctx_.reg, ctx_.vdbPath);
        }
        if (kind_ == Transfer::Copy) RenumberRows(ctx_.reg);
    }

private:
    bool PickFolder(ResolverSession& folders) {
        QString chosen = ctx_.dialogs.SelectFolder(QStringLiteral("选择一个目的文件夹"));
        if (chosen.isEmpty()) return false;
        const RealPath realFolder(QFile::encodeName(chosen).toStdString());
        folder_ = QStringToGb(chosen);
        if (!DirectoryExists(realFolder)) return false;
        folder_ = WithSeparator(folder_);
        // A move writes the folder into the rows' path cells.
        if (kind_ == Transfer::Move && !StorableCell(folder_)) {
            ctx_.shell.SetStatusText(1, QStringLiteral("无法登记的文件夹名: ") + Gb(folder_));
            return false;
        }
        // The targets lie in the chosen folder itself, not in a case variant of it.
        folders.Pin(folder_, realFolder);
        return true;
    }

    // Files that a move only renames on their own file system need no space.
    bool NeedsSpace(int r, std::string_view source) {
        return kind_ == Transfer::Copy || !OnTargetDrive(r, source);
    }

    // Whether the row's file lies on the chosen folder's file system. A file lies on the file
    // system of its folder, so this is asked once per source folder.
    bool OnTargetDrive(int r, std::string_view source) {
        auto [known, added] = onTargetDrive_.try_emplace(std::string(ctx_.reg.Cell(colPath, r)));
        if (added) known->second = volumes_.sameDrive(source, folder_);
        return known->second;
    }

    bool EnoughSpace(const RowRange& rows) {
        uint64_t total = 0;
        for (int r = rows.top; r <= rows.bottom; ++r) {
            std::string source = RowFilePath(ctx_.reg, r);
            if (source.empty()) continue;
            if (!FileExists(RegisterPath(source))) {
                ReportMissing(source);
            } else if (NeedsSpace(r, source)) {
                total += GetFileSizeBytes(source);
            }
        }
        uint64_t free = volumes_.diskFree(folder_);
        if (free > total) return true;
        ctx_.dialogs.Information(
            ApplicationTitle(), QStringLiteral("磁盘空间不够：\n\r复制文件字节数：") +
                                    QString::number(total) +
                                    QStringLiteral("\n\r目标磁盘字节数：") + QString::number(free));
        return false;
    }

    void ReportMissing(std::string_view source) {
        ctx_.shell.SetStatusText(1, QStringLiteral("文件不存在 ") + Gb(source));
    }

    void RunRows(const RowRange& rows) {
        try {
            for (int r = rows.top; r <= rows.bottom && !BreakFlag; ++r) {
                ctx_.shell.PB2().SetPosition(r - rows.top + 1);
                RunRow(r);
            }
        } catch (...) {
            // Rows already moved point at their new folder; keep that on disk as well.
            if (kind_ == Transfer::Move && done_ > 0) {
                try {
                    SaveRegister(ctx_.reg, ctx_.vdbPath);
                } catch (...) {
                }
            }
            throw;
        }
    }

    void RunRow(int r) {
        const std::string source = RowFilePath(ctx_.reg, r);
        if (source.empty()) return;
        if (!FileExists(RegisterPath(source))) {
            ReportMissing(source);
            return;
        }
        // A move shows its paths in upper case, and the file arrives under its upper-case
        // name; the chosen folder is taken as it is on disk.
        const bool move = kind_ == Transfer::Move;
        auto shown = [move](const std::string& path) { return Gb(move ? UpperCase(path) : path); };
        ctx_.shell.PB2().SetSuffix(
            (move ? QStringLiteral("%  正在移动... ") : QStringLiteral("%  正在拷贝... ")) +
            shown(source));
        std::string name(ctx_.reg.Cell(colName, r));
        name.append(ctx_.reg.Cell(colType, r));
        const std::string target = folder_ + (move ? UpperCase(name) : name);
        if ((move && RefuseAmbiguous(ctx_.shell, source)) || RefuseAmbiguous(ctx_.shell, target))
            return;
        // Already in the target folder: the same file on disk, whatever spelling or link
        // leads there. Folders whose names differ only in case are different folders.
        const bool targetExists = FileExists(RegisterPath(target));
        if (targetExists && SameFile(source, target)) return;
        if (targetExists) {
            switch (ctx_.dialogs.AskYesNoCancel(
                QStringLiteral("确认操作"),
                QStringLiteral("目标文件已经存在，是否覆盖？\n\r\n\r") + shown(target))) {
            case IDialogs::Answer::No:
                return;
            case IDialogs::Answer::Cancel:
                BreakFlag = true;
                return;
            case IDialogs::Answer::Yes:
                ForceDeleteFile(target);
                break;
            }
        }
        if (move) {
            MoveRow(r, source, target);
        } else {
            CopyRow(source, target);
        }
    }

    void CopyRow(const std::string& source, const std::string& target) {
        if (BlockCopyFile(source, target, ctx_.shell)) {
            ctx_.shell.AddHistory(QStringLiteral("文件拷贝成功:") + Gb(target));
            ++done_;
        } else {
            ctx_.shell.AddHistory(QStringLiteral("原文件拷贝失败:") + Gb(source));
        }
    }

    void MoveRow(int r, const std::string& source, const std::string& target) {
        bool rename = OnTargetDrive(r, source);
        // Across file systems the copy is on disk and complete before the source goes.
        bool moved = rename ? SystemMoveFile(source, target)
                            : BlockCopyFile(source, target, ctx_.shell, CopyDurability::OnDisk);
        const QString from = Gb(UpperCase(source));
        if (!moved) {
            ctx_.shell.AddHistory(QStringLiteral("--原文件移动失败:") + from);
            return;
        }
        ctx_.shell.AddHistory(QStringLiteral("复制成功:") + Gb(UpperCase(target)));
        ++done_;
        ctx_.reg.SetCell(colPath, r, folder_);
        if (rename || !FileExists(RegisterPath(source))) return;
        ctx_.shell.AddHistory(ForceDeleteFile(source) ? QStringLiteral("原文件删除成功:") + from
                                                      : QStringLiteral("--原文件删除失败:") + from);
    }

    const FileOpsContext& ctx_;
    const VolumeQueries& volumes_;
    const Transfer kind_;
    std::string folder_; // the chosen folder, ending in the separator
    std::unordered_map<std::string, bool> onTargetDrive_; // by path cell
    int done_ = 0;
};

} // namespace

void CopySelectedFiles(const FileOpsContext& ctx, const VolumeQueries& volumes) {
    TransferRun(ctx, volumes, Transfer::Copy).Run();
}

void MoveSelectedFiles(const FileOpsContext& ctx, const VolumeQueries& volumes) {
    TransferRun(ctx, volumes, Transfer::Move).Run();
}
