// A workbook in memory: worksheets of text cells over one shared string table, saved as a
// BIFF8 .xls file (the "Workbook" stream in a compound file).
//
// A sheet of this format holds at most 65,536 rows. A worksheet given more rows is saved as
// several sheets: the first with rows 1 to 65,536, each further one (named "<name> (2)",
// "<name> (3)", ...) with the worksheet's first row, the header, followed by the next 65,535
// rows, so that nothing is lost.
#pragma once

#include "export/SharedStrings.h"

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class XlsWorkbook {
public:
    static constexpr int kSheetRows = 65536;
    static constexpr int kSheetColumns = 256;
    static constexpr int kMaxRows = kSheetRows * 256; // of one worksheet, over all its sheets
    static constexpr int kMaxTextLength = 32767;

    enum CellFormat : uint16_t { xfGeneral = 15, xfQuotePrefix = 16 }; // cell XF indices

    struct Cell {
        uint16_t col;
        uint16_t xf;
        uint32_t sst;
    };
    struct Worksheet {
        QString name;
        std::vector<std::vector<Cell>> rows; // each row's cells by ascending column
    };

    XlsWorkbook(); // one empty worksheet, "Sheet1"

    const std::vector<Worksheet>& Sheets() const { return sheets_; }
    const SharedStringTable& Strings() const { return strings_; }

    // Puts text into a cell (0-based row and column) of the worksheet, replacing what was
    // there. Throws std::out_of_range for a position or a text beyond the format's limits.
    void PutText(int sheet, int row, int col, const QString& text, CellFormat format);

    // Writes the .xls file through a safe write (throws EFileError).
    void Save(std::string_view gbPath) const;

private:
    std::vector<Worksheet> sheets_;
    SharedStringTable strings_;
};

// The BIFF8 "Workbook" stream of the workbook.
std::string BuildWorkbookStream(const XlsWorkbook& book);
