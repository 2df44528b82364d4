#include "maintenance/QueryRows.h"

#include "platform/text/GbText.h"

#include <string>

namespace {
bool Contains(std::string_view text, std::string_view query) {
    return !query.empty() && text.find(query) != std::string_view::npos;
}
} // namespace

int FindNextRow(const VideoRegister& reg, int col, std::string_view query, int from) {
    for (int r = from + 1; r <= reg.LastRow(); ++r)
        if (Contains(reg.Cell(col, r), query)) return r;
    if (from >= 1)
        for (int r = 1; r <= from && r <= reg.LastRow(); ++r)
            if (Contains(reg.Cell(col, r), query)) return r;
    return 0;
}

void QueryRegister(VideoRegister& reg, IShell& shell, const QueryField& field,
                   const QString& query) {
    reg.Cursor().SetCurrent(field.column, reg.Cursor().CurRow());
    const std::string wanted = QStringToGb(query);
    const int row = FindNextRow(reg, field.column, wanted, reg.Cursor().CurRow());
    if (row == 0) {
        shell.SetStatusText(1, QString::fromUtf8(field.notFoundText) + query);
        return;
    }
    shell.SetStatusText(1, QStringLiteral("检索到内容，第 ") + QString::number(row) + "行");
    // The selection first, so that the current-cell change sees the shrunk selection.
    reg.Cursor().SetSelection({field.column, row, field.column, row});
    reg.Cursor().SetCurrent(field.column, row);
}
