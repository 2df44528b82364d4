#include "fileops/DeleteRowFiles.h"

#include "fileops/FileHelpers.h"
#include "register/GridStore.h"

#include <vector>

void DeleteRowFiles(const FileOpsContext& ctx) {
    VideoRegister& reg = ctx.reg;
    const RowRange rows = reg.SelectedRows();
    VideoRegister::BulkChange bulk(reg);
    std::vector<int> doomed;
    for (int r = rows.bottom; r >= rows.top; --r) {
        if (!reg.Cell(colPath, r).empty()) {
            const std::string path = RowFilePath(reg, r);
            // A row that two files fit keeps both files and itself.
            if (RefuseAmbiguous(ctx.shell, path)) continue;
            ForceDeleteFile(path);
        }
        doomed.push_back(r);
    }
    DeleteRows(reg, std::move(doomed));
    RenumberRows(reg);
}
