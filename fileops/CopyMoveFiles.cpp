#include "fileops/CopyMoveFiles.h"

#include "fileops/BlockCopyFile.h"
#include "fileops/FileHelpers.h"
#include "fileops/SystemMoveFile.h"
#include "platform/fs/FileCalls.h"
#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "platform/ui/ShellDiskCalls.h"
#include "register/GridStore.h"
#include "register/StorableCell.h"

#include <QCoreApplication>
#include <QFile>
#include <atomic>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

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
        : ctx_(ctx), volumes_(volumes), kind_(kind),
          calls_(ShellDiskCalls(ctx.shell, QEventLoop::AllEvents)) {}

    void Run() {
        // The rows of a command mostly share a few folders: each is resolved once.
        ResolverSession folders;
        IShell& shell = ctx_.shell;
        shell.ClearHistory();
        const RowRange rows = ctx_.reg.Cursor().SelectedRows();
        if (!PickFolder()) return;
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
            if (done_ > 0) SaveRegisterByCommand(ctx_.reg, ctx_.vdbPath, shell);
        }
        if (kind_ == Transfer::Copy) RenumberRows(ctx_.reg);
    }

private:
    bool PickFolder() {
        QString chosen = ctx_.dialogs.SelectFolder(QStringLiteral("选择一个目的文件夹"));
        if (chosen.isEmpty()) return false;
        // The targets lie in the chosen folder itself, not in a case variant of it.
        realFolder_ = RealPath(QFile::encodeName(chosen).toStdString());
        folder_ = QStringToGb(chosen);
        // Calls are charged by the register form (upper case) until the path is reached.
        if (!calls_.Call(UpperCase(folder_), [f = realFolder_] { return DirectoryExists(f); })
                 .value_or(false))
            return false;
        folder_ = WithSeparator(folder_);
        // A move writes the folder into the rows' path cells.
        if (kind_ == Transfer::Move && !StorableCell(folder_)) {
            ctx_.shell.SetStatusText(1, QStringLiteral("无法登记的文件夹名: ") + Gb(folder_));
            return false;
        }
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
        if (added)
            known->second = calls_
                                .Call(source, [same = volumes_.sameDrive, s = std::string(source),
                                               f = folder_] { return same(s, f); })
                                .value_or(false);
        return known->second;
    }

    // Looks up every row's file in one batch of calls; a file on a mount that does not
    // answer counts as missing. The moves act on what was found here.
    bool EnoughSpace(const RowRange& rows) {
        // A file renamed on its own file system needs no size: only its entry is looked at.
        auto sized = std::make_shared<std::vector<char>>();
        for (int r = rows.top; r <= rows.bottom; ++r) {
            sources_.push_back(RowFilePath(ctx_.reg, r));
            sized->push_back(!sources_.back().empty() && NeedsSpace(r, sources_.back()));
        }
        sized_ = sized;
        looks_ = calls_.Map<TFileCheck>(sources_, [sized](const std::string& source, size_t i) {
            if (source.empty()) return TFileCheck();
            return CheckFile(source, (*sized)[i] ? FileLook::Size : FileLook::Entry);
        });
        uint64_t total = 0;
        for (int r = rows.top; r <= rows.bottom; ++r) {
            const std::string& source = sources_[size_t(r - rows.top)];
            const std::optional<TFileCheck>& look = looks_[size_t(r - rows.top)];
            if (source.empty()) continue;
            if (!look || !look->exists) {
                ReportMissing(source);
            } else if ((*sized)[size_t(r - rows.top)]) {
                if (look->error) std::rethrow_exception(look->error);
                total += look->size;
            }
        }
        const uint64_t free = calls_
                                  .Call(UpperCase(folder_), [query = volumes_.diskFree,
                                                             f = folder_] { return query(f); })
                                  .value_or(0);
        if (free > total) return true;
        ctx_.dialogs.Information(
            QCoreApplication::applicationName(),
            QStringLiteral("磁盘空间不够：\n\r复制文件字节数：") + QString::number(total) +
                QStringLiteral("\n\r目标磁盘字节数：") + QString::number(free));
        return false;
    }

    void ReportMissing(std::string_view source) {
        ctx_.shell.SetStatusText(1, QStringLiteral("文件不存在 ") + Gb(source));
    }

    void RunRows(const RowRange& rows) {
        try {
            for (int r = rows.top; r <= rows.bottom && !BreakFlag;) {
                if (const int next = MoveRunAsLooked(r, rows); next > r) {
                    r = next;
                    continue;
                }
                ctx_.shell.PB2().SetPosition(r - rows.top + 1);
                RunRow(r++);
            }
        } catch (...) {
            // Rows already moved point at their new folder; keep that on disk as well.
            if (kind_ == Transfer::Move && done_ > 0) {
                try {
                    SaveRegisterByCommand(ctx_.reg, ctx_.vdbPath, ctx_.shell);
                } catch (...) {
                }
            }
            throw;
        }
    }

    // One row's file as found before any question, and where it goes.
    struct RowFile {
        std::string source; // register path of the row's file
        std::string target; // the chosen folder's text and the name the file arrives under
        std::string leaf;   // that name
        DiskEntry from;
    };

    // A move shows its paths in upper case, and the file arrives under its upper-case name;
    // the chosen folder is taken as it is on disk.
    QString Shown(const std::string& path) const {
        return Gb(kind_ == Transfer::Move ? UpperCase(path) : path);
    }

    // The row's file, and where it goes, as the bar names it.
    RowFile Start(int r, const std::string& source, const DiskEntry& from) {
        ctx_.shell.PB2().SetSuffix((kind_ == Transfer::Move ? QStringLiteral("%  正在移动... ")
                                                            : QStringLiteral("%  正在拷贝... ")) +
                                   Shown(source));
        const std::string leaf = kind_ == Transfer::Move ? UpperCase(RowLeaf(r)) : RowLeaf(r);
        return {source, folder_ + leaf, leaf, from};
    }

    // The name the row's file arrives under, before a move's upper case.
    std::string RowLeaf(int r) const {
        std::string name(ctx_.reg.Cell(colName, r));
        name.append(ctx_.reg.Cell(colType, r));
        return name;
    }

    // A move on one file system of a file that the first look found alone is a rename that
    // itself checks that the file is still the one found and its name free in the chosen
    // folder (a taken name leaves the row to the row loop and its question). The file found,
    // or none.
    const DiskEntry* ReadyToRename(int r, const RowRange& rows) const {
        const size_t i = size_t(r - rows.top);
        const std::optional<TFileCheck>& look = looks_[i];
        // A file that needs no space lies on the chosen folder's file system.
        if (kind_ != Transfer::Move || !look || !look->exists || look->found.size() != 1 ||
            (*sized_)[i])
            return nullptr;
        return &look->found.front();
    }

    // Renames the run of rows from `first` on that are ready to rename in one batch on the
    // worker (a round trip per row would cost more than the renames), which stops at the
    // first rename that did not happen or at a break. The window shows each row moved, in
    // order, as the worker reports its progress, while the worker goes on with the next ones.
    // Answers the first row not moved.
    int MoveRunAsLooked(int first, const RowRange& rows) {
        struct Batch {
            std::vector<std::pair<DiskEntry, std::string>> moves; // the file found, its new name
            std::vector<MoveOutcome> outcomes; // by the worker, read up to the progress told
            std::atomic<bool> stop = false;    // a break: the renames not begun are left
            bool halted = false;               // on the worker: a rename did not happen
            SystemMoves mover;                 // on the worker
        };
        auto batch = std::make_shared<Batch>();
        std::vector<std::string> sources;
        for (int r = first; r <= rows.bottom; ++r) {
            const DiskEntry* ready = ReadyToRename(r, rows);
            if (!ready) break;
            batch->moves.emplace_back(*ready, UpperCase(RowLeaf(r)));
            sources.push_back(sources_[size_t(r - rows.top)]);
        }
        if (sources.empty()) return first;
        batch->outcomes.assign(sources.size(), MoveOutcome::Failed);
        size_t shown = 0;
        auto show = [&](size_t done) {
            for (; shown < done && batch->outcomes[shown] == MoveOutcome::Moved; ++shown) {
                const int r = first + int(shown);
                ctx_.shell.PB2().SetPosition(r - rows.top + 1);
                Arrived(r, Start(r, sources[shown], batch->moves[shown].first), true);
            }
            if (BreakFlag) batch->stop = true;
        };
        calls_.Map<MoveOutcome>(
            sources,
            [batch, folder = realFolder_](const std::string&, size_t i) {
                if (batch->halted || batch->stop) return MoveOutcome::Failed;
                const auto& [from, leaf] = batch->moves[i];
                const MoveOutcome outcome = batch->mover.Move(from, folder, leaf);
                batch->outcomes[i] = outcome;
                batch->halted = outcome != MoveOutcome::Moved;
                return outcome;
            },
            show, true);
        show(sources.size());
        return first + int(shown);
    }

    MoveOutcome MoveOnDrive(const RowFile& file) {
        return calls_
            .Change(file.source, [from = file.from, folder = realFolder_,
                                  leaf = file.leaf] { return SystemMoveFile(from, folder, leaf); })
            .value_or(MoveOutcome::Failed);
    }

    void RunRow(int r) {
        const std::string source = RowFilePath(ctx_.shell, ctx_.reg, r);
        if (source.empty()) return;
        const bool move = kind_ == Transfer::Move;
        const std::optional<TFileCheck> sources =
            calls_.Call(source, [source] { return CheckFile(source, FileLook::Entry); });
        if (!sources || !sources->exists) {
            ReportMissing(source);
            return;
        }
        const RowFile file = Start(r, source, sources->found.front());
        const auto targets =
            calls_.Call(UpperCase(file.target), [folder = realFolder_, leaf = file.leaf] {
                return FindOnDisk(folder, RegisterPath(leaf));
            });
        if (!targets) {
            Failed(source);
            return;
        }
        if ((move && RefuseAmbiguous(ctx_.shell, sources->found)) ||
            RefuseAmbiguous(ctx_.shell, *targets))
            return;
        // Already in the target folder: the same file on disk, whatever spelling or link
        // leads there. Folders whose names differ only in case are different folders.
        if (!targets->empty() && targets->front().SameFileAs(file.from)) return;
        if (!targets->empty() && IsFileMode(targets->front().mode)) {
            switch (ctx_.dialogs.AskYesNoCancel(
                QStringLiteral("确认操作"),
                QStringLiteral("目标文件已经存在，是否覆盖？\n\r\n\r") + Shown(file.target))) {
            case IDialogs::Answer::No:
                return;
            case IDialogs::Answer::Cancel:
                BreakFlag = true;
                return;
            case IDialogs::Answer::Yes:
                break;
            }
            // Both files were found before the question: the one replaced and the one moved
            // or copied must still be those. Answers the entry that changed, if one did.
            const auto changed =
                calls_.Change(UpperCase(file.target), [from = file.from, old = targets->front()] {
                    if (!from.StillSame()) return std::optional(from);
                    if (DeleteCheckedFile(old) == CheckedDeletion::Changed)
                        return std::optional(old);
                    return std::optional<DiskEntry>();
                });
            if (!changed) return Failed(source); // the target's mount does not answer
            if (*changed) return ReportChanged(ctx_.shell, **changed);
        }
        if (move) {
            MoveRow(r, file);
        } else {
            CopyRow(file);
        }
    }

    // The file found, and where it arrives: in the chosen folder itself under the row's name.
    TCopyFiles CopyOf(const RowFile& file) const {
        return {file.from.real, realFolder_.Child(GbToUtf8(file.leaf)), file.source, file.target};
    }

    void CopyRow(const RowFile& file) {
        if (BlockCopyFile(CopyOf(file), ctx_.shell, calls_)) {
            ctx_.shell.AddHistory(QStringLiteral("文件拷贝成功:") + Gb(file.target));
            ++done_;
        } else {
            Failed(file.source);
        }
    }

    void Failed(const std::string& source) {
        ctx_.shell.AddHistory(kind_ == Transfer::Copy
                                  ? QStringLiteral("原文件拷贝失败:") + Gb(source)
                                  : QStringLiteral("--原文件移动失败:") + Gb(UpperCase(source)));
    }

    void MoveRow(int r, const RowFile& file) {
        const bool rename = OnTargetDrive(r, file.source);
        // Across file systems the copy is on disk and complete before the source goes.
        MoveOutcome outcome = MoveOutcome::Failed;
        if (rename) {
            outcome = MoveOnDrive(file);
        } else if (BlockCopyFile(CopyOf(file), ctx_.shell, calls_, CopyDurability::OnDisk)) {
            outcome = MoveOutcome::Moved;
        }
        if (outcome == MoveOutcome::Changed) return ReportChanged(ctx_.shell, file.from);
        if (outcome == MoveOutcome::Failed) return Failed(file.source);
        Arrived(r, file, rename);
    }

    // The file is in the chosen folder: the row follows it, and a copy's source goes.
    void Arrived(int r, const RowFile& file, bool renamed) {
        ctx_.shell.AddHistory(QStringLiteral("复制成功:") + Gb(UpperCase(file.target)));
        ++done_;
        ctx_.reg.SetCell(colPath, r, folder_);
        if (renamed) return;
        const QString from = Gb(UpperCase(file.source));
        // The source is gone already when the copy took it (nothing to say), and counts as
        // not deleted when its mount stops answering.
        const std::optional<CheckedDeletion> deleted =
            calls_.Change(file.source, [entry = file.from] { return DeleteCheckedFile(entry); });
        if (deleted == CheckedDeletion::Gone) return;
        if (deleted == CheckedDeletion::Changed) return ReportChanged(ctx_.shell, file.from);
        ctx_.shell.AddHistory(deleted == CheckedDeletion::Deleted
                                  ? QStringLiteral("原文件删除成功:") + from
                                  : QStringLiteral("--原文件删除失败:") + from);
    }

    const FileOpsContext& ctx_;
    const VolumeQueries& volumes_;
    const Transfer kind_;
    std::string folder_;  // the chosen folder, ending in the separator
    RealPath realFolder_; // the same as the dialog gave it
    std::unordered_map<std::string, bool> onTargetDrive_; // by path cell
    // By row, from the first row: its file's register path as the command began, whether the
    // file needs space in the chosen folder, and what the first look found.
    std::vector<std::string> sources_;
    std::shared_ptr<const std::vector<char>> sized_;
    std::vector<std::optional<TFileCheck>> looks_;
    int done_ = 0;
    TDiskCalls calls_;
};

} // namespace

void CopySelectedFiles(const FileOpsContext& ctx, const VolumeQueries& volumes) {
    TransferRun(ctx, volumes, Transfer::Copy).Run();
}

void MoveSelectedFiles(const FileOpsContext& ctx, const VolumeQueries& volumes) {
    TransferRun(ctx, volumes, Transfer::Move).Run();
}
