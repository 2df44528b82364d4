#include "fileops/RenameCommands.h"

#include "fileops/FileHelpers.h"
#include "fileops/SystemMoveFile.h"
#include "platform/fs/FileCalls.h"
#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "platform/ui/ShellDiskCalls.h"
#include "register/GridStore.h"
#include "register/StorableCell.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

// No name of ours carries control characters.
bool HoldsControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return (unsigned char)c < 0x20; });
}

bool UnfitFileName(std::string_view name) {
    return name.empty() || name.find('/') != std::string_view::npos || HoldsControl(name);
}

bool UnfitFolderPath(std::string_view path) {
    return !path.starts_with('/') || HoldsControl(path);
}

// The status text of a rename to a name that the register cannot store as a cell, with
// the reason; "" when the cell rule allows it.
QString RefusedName(const QString& failed, std::string_view text) {
    const CellFault fault = CellFaultOf(text);
    return fault == CellFault::None ? QString() : failed + CellFaultText(fault);
}

// Asks with the proposal pre-filled; the answer upper-cased, or nothing on Cancel.
std::optional<std::string> AskUpperCase(IDialogs& dialogs, const QString& caption,
                                        const QString& prompt, std::string_view proposal) {
    QString value = GbToQString(proposal);
    if (!dialogs.InputQuery(caption, prompt, value)) return std::nullopt;
    return UpperCase(QStringToGb(value));
}

// The rows in `oldDir` or below it get `newDir` in place of the leading `oldDir`; both
// end in the separator, which keeps sibling folders such as /D/AB/ apart from /D/A/. Rows
// that `keep` marks stay as they are.
void RewriteFolderRows(VideoRegister& reg, const std::string& oldDir, const std::string& newDir,
                       const std::vector<bool>& keep) {
    VideoRegister::BulkChange bulk(reg);
    for (int row = 1; row <= reg.LastRow(); ++row) {
        std::string_view cell = reg.Cell(colPath, row);
        if (cell.empty() || keep[size_t(row)]) continue;
        std::string path = WithSeparator(UpperCase(cell));
        if (path == oldDir) {
            reg.SetCell(colPath, row, newDir);
        } else if (path.starts_with(oldDir)) {
            reg.SetCell(colPath, row, newDir + std::string(cell.substr(oldDir.size())));
        }
    }
}

// The one file on disk that fits the path, or "" when none or several do.
std::string SoleFile(const std::string& gbPath) {
    std::vector<DiskEntry> found = FindOnDisk(RegisterPath(gbPath));
    return found.size() == 1 ? found[0].real.Bytes() : std::string();
}

// The register text up to and including the separator before the last component of a folder
// path that ends in the separator ("/D/A/" gives "/D/").
std::string_view ParentOf(std::string_view dir) {
    const size_t last = dir.find_last_not_of('/');
    return last == std::string_view::npos ? dir.substr(0, 0)
                                          : dir.substr(0, dir.rfind('/', last) + 1);
}

// What the folder rename came to after its dialog.
struct TFolderMove {
    MoveOutcome outcome = MoveOutcome::Failed;
    bool same = false;              // the new path leads to the folder itself
    std::vector<DiskEntry> parents; // the folders that a parent typed by the user fits
};

// Moves the checked folder to `newDir`. A new path in the folder's own parent (as register
// text) renames it inside the real parent it was found in, never in a case twin of that
// parent; another parent is looked up as a register path and must fit one folder alone.
TFolderMove MoveFolder(const DiskEntry& folder, const std::string& oldDir,
                       const std::string& newDir) {
    TFolderMove result;
    const std::string_view parent = ParentOf(newDir);
    const std::string leaf(newDir.substr(parent.size(), newDir.size() - parent.size() - 1));
    RealPath target = folder.real.Folder();
    if (parent != ParentOf(oldDir)) {
        result.parents = FindOnDisk(RegisterPath(parent));
        if (result.parents.size() != 1 || !IsFolderMode(result.parents.front().mode)) return result;
        target = result.parents.front().real;
    }
    if (leaf.empty()) return result;
    const std::vector<DiskEntry> there = FindOnDisk(target, RegisterPath(leaf));
    result.same = std::any_of(there.begin(), there.end(),
                              [&](const DiskEntry& e) { return e.SameFileAs(folder); });
    if (!result.same) result.outcome = SystemMoveFile(folder, target, leaf);
    return result;
}

} // namespace

std::string RenameProposal(std::string_view mainName, std::string_view resolution) {
    std::string proposal(mainName);
    if (mainName.find('[') == std::string_view::npos && !resolution.empty())
        proposal.append("[").append(resolution).append("]");
    return proposal;
}

void RenameRowFile(const FileOpsContext& ctx) {
    VideoRegister& reg = ctx.reg;
    const int row = reg.Cursor().CurRow();
    const std::string source = RowFilePath(ctx.shell, reg, row);
    if (source.empty()) return;
    // A file on a mount that does not answer is taken as missing.
    TDiskCalls calls = ShellDiskCalls(ctx.shell);
    const std::optional<TFileCheck> files =
        calls.Call(source, [source] { return CheckFile(source, FileLook::Entry); });
    if (!files || !files->exists) {
        ctx.shell.SetStatusText(1, QStringLiteral("文件不存在 ") + GbToQString(source));
        return;
    }
    if (RefuseAmbiguous(ctx.shell, files->found)) return;
    const DiskEntry file = files->found.front();
    const std::string name(reg.Cell(colName, row));
    std::optional<std::string> newName =
        AskUpperCase(ctx.dialogs, QStringLiteral("文件改名：请输入新文件名"),
                     QStringLiteral("原来文件名 【") + GbToQString(name) + QStringLiteral("】"),
                     RenameProposal(name, reg.Cell(colResolution, row)));
    if (!newName || *newName == UpperCase(name)) return;
    if (QString refused = RefusedName(QStringLiteral("改名失败："), *newName); !refused.isEmpty()) {
        ctx.shell.SetStatusText(1, refused);
        return;
    }
    // The new name goes into the folder that holds the file found before the dialog, not
    // into another folder that the path cell may fit as well.
    const std::string leaf = *newName + std::string(reg.Cell(colType, row));
    const MoveOutcome outcome =
        UnfitFileName(*newName)
            ? MoveOutcome::Failed
            : calls
                  .Change(source,
                          [file, leaf] { return SystemMoveFile(file, file.real.Folder(), leaf); })
                  .value_or(MoveOutcome::Failed);
    if (outcome == MoveOutcome::Changed) return ReportChanged(ctx.shell, file);
    if (outcome == MoveOutcome::Failed) {
        ctx.shell.SetStatusText(
            1, QStringLiteral("改名失败，确保文件不被其它程序使用。或文件名要合法。"));
        return;
    }
    reg.SetCell(colName, row, *newName);
    ctx.shell.SetStatusText(1, QStringLiteral("改名成功,新文件名: ") + GbToQString(*newName));
    SaveRegisterByCommand(reg, ctx.vdbPath, ctx.shell);
}

void RenameRowFolder(const FileOpsContext& ctx) {
    VideoRegister& reg = ctx.reg;
    const int current = reg.Cursor().CurRow();
    // The cell is resolved as it stands (a folder chosen for a move keeps its spelling);
    // the rows and the dialog compare and show it in upper case.
    const std::string folder = WithSeparator(reg.Cell(colPath, current));
    const std::string oldDir = UpperCase(folder);
    if (oldDir.empty()) return;
    // A folder on a mount that does not answer is taken as missing.
    TDiskCalls calls = ShellDiskCalls(ctx.shell);
    const auto variants = calls.Call(folder, [folder] { return FindOnDisk(RegisterPath(folder)); });
    if (!variants || variants->empty() || !IsFolderMode(variants->front().mode)) {
        ctx.shell.SetStatusText(1, QStringLiteral("文件夹不存在 ") + GbToQString(oldDir));
        return;
    }
    DiskEntry checked = variants->front();
    // Where case variants of the folder exist ("Videos" beside "videos"), the row's own file
    // tells which one is meant, and only the rows whose files lie in it move with it.
    std::vector<bool> keep(size_t(reg.LastRow()) + 1, false);
    if (variants->size() > 1) {
        std::vector<std::string> paths;
        for (int row = 1; row <= reg.LastRow(); ++row)
            paths.push_back(RowFilePath(reg, row));
        const std::vector<std::optional<std::string>> sole =
            calls.Map<std::string>(std::move(paths), SoleFile);
        auto soleFile = [&](int row) { return sole[size_t(row - 1)].value_or(std::string()); };
        const std::string file = soleFile(current);
        auto holder = std::find_if(variants->begin(), variants->end(), [&](const DiskEntry& v) {
            return !file.empty() && file.starts_with(v.real.Bytes());
        });
        if (holder == variants->end()) {
            RefuseAmbiguous(ctx.shell, *variants);
            return;
        }
        checked = *holder;
        for (int row = 1; row <= reg.LastRow(); ++row)
            keep[size_t(row)] = !soleFile(row).starts_with(checked.real.Bytes());
    }
    std::optional<std::string> answer = AskUpperCase(
        ctx.dialogs, QStringLiteral("文件夹改名：请输入新文件夹名"),
        QStringLiteral("原来文件夹名 【") + GbToQString(oldDir) + QStringLiteral("】"), oldDir);
    if (!answer || answer->empty()) return;
    const std::string newDir = WithSeparator(*answer);
    if (newDir == oldDir) return;
    if (QString refused = RefusedName(QStringLiteral("文件夹改名失败："), newDir);
        !refused.isEmpty()) {
        ctx.shell.SetStatusText(1, refused);
        return;
    }
    const std::optional<TFolderMove> move =
        UnfitFolderPath(newDir) ? std::nullopt : calls.Change(folder, [checked, oldDir, newDir] {
            return MoveFolder(checked, oldDir, newDir);
        });
    if (move && move->same) return;
    if (move && RefuseAmbiguous(ctx.shell, move->parents)) return;
    if (move && move->outcome == MoveOutcome::Changed) return ReportChanged(ctx.shell, checked);
    if (!move || move->outcome != MoveOutcome::Moved) {
        ctx.shell.SetStatusText(
            1, QStringLiteral(
                   "文件夹改名失败，确保文件夹内文件不被其它程序使用。或文件夹名字要合法。"));
        return;
    }
    RewriteFolderRows(reg, oldDir, newDir, keep);
    ctx.shell.SetStatusText(1, QStringLiteral("文件夹改名成功, 新文件夹: ") + GbToQString(newDir));
    SaveRegisterByCommand(reg, ctx.vdbPath, ctx.shell);
}
