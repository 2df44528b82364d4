#include "fileops/DeleteRowFiles.h"

#include "fileops/FileHelpers.h"
#include "platform/ui/ShellDiskCalls.h"
#include "register/GridStore.h"

#include <vector>

void DeleteRowFiles(const FileOpsContext& ctx) {
    VideoRegister& reg = ctx.reg;
    const RowRange rows = reg.Cursor().SelectedRows();
    std::vector<std::string> paths;
    for (int r = rows.bottom; r >= rows.top; --r)
        paths.push_back(RowFilePath(ctx.shell, reg, r));
    // The deletes run off the UI thread; a file on a mount that does not answer is one that
    // cannot be deleted: its row goes all the same. The files found when two fit the path.
    TDiskCalls calls = ShellDiskCalls(ctx.shell);
    const auto found = calls.Map<std::vector<DiskEntry>>(
        std::move(paths),
        [](const std::string& path) {
            if (path.empty()) return std::vector<DiskEntry>();
            std::vector<DiskEntry> entries = FindOnDisk(RegisterPath(path));
            if (entries.size() < 2) DeleteFoundFile(entries);
            return entries;
        },
        {}, true);
    VideoRegister::BulkChange bulk(reg);
    std::vector<int> doomed;
    for (int r = rows.bottom; r >= rows.top; --r) {
        const std::optional<std::vector<DiskEntry>>& result = found[size_t(rows.bottom - r)];
        // After a close the rows whose files are not known to be gone stay.
        if (calls.Stopped() && !result) continue;
        // A row that two files fit keeps both files and itself.
        if (result && RefuseAmbiguous(ctx.shell, *result)) continue;
        doomed.push_back(r);
    }
    DeleteRows(reg, std::move(doomed));
    RenumberRows(reg);
}
