#include "export/XlsWorkbook.h"

#include "export/CompoundFile.h"
#include "platform/fs/SafeFile.h"

#include <algorithm>
#include <stdexcept>

XlsWorkbook::XlsWorkbook() {
    sheets_.push_back({QStringLiteral("Sheet1"), {}});
}

void XlsWorkbook::PutText(int sheet, int row, int col, const QString& text, CellFormat format) {
    if (sheet < 0 || sheet >= int(sheets_.size()) || row < 0 || row >= kMaxRows || col < 0 ||
        col >= kSheetColumns)
        throw std::out_of_range("cell position out of range");
    if (text.size() > kMaxTextLength) throw std::out_of_range("cell text too long");
    auto& rows = sheets_[size_t(sheet)].rows;
    if (size_t(row) >= rows.size()) rows.resize(size_t(row) + 1);
    auto& cells = rows[size_t(row)];
    const Cell cell{uint16_t(col), uint16_t(format), strings_.Intern(text)};
    // Cells mostly arrive left to right: appending is the common case.
    if (cells.empty() || cells.back().col < cell.col) {
        cells.push_back(cell);
        return;
    }
    auto it = std::lower_bound(cells.begin(), cells.end(), cell.col,
                               [](const Cell& c, uint16_t col) { return c.col < col; });
    if (it != cells.end() && it->col == cell.col)
        *it = cell;
    else
        cells.insert(it, cell);
}

void XlsWorkbook::Save(std::string_view gbPath) const {
    const std::string stream = BuildWorkbookStream(*this);
    SafeFileWriter out(RealPath::OfGb(gbPath));
    WriteCompoundFile(u"Workbook", stream, [&](std::string_view bytes) { out.Write(bytes); });
    out.Commit();
}
