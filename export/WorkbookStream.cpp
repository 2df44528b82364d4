// The records of the BIFF8 workbook stream: the workbook globals (BOF, CODEPAGE, WINDOW1,
// FONT, XF, STYLE, BOUNDSHEET, SST, EXTSST, EOF) followed by one substream per sheet (BOF,
// DIMENSIONS, LABELSST cells, WINDOW2, EOF).
#include "export/XlsWorkbook.h"

#include "export/BiffRecords.h"

#include <algorithm>

using namespace biff;

namespace {
constexpr uint16_t kBiff8 = 0x0600;
constexpr uint16_t kGlobalsSubstream = 0x0005, kWorksheetSubstream = 0x0010;
constexpr uint16_t kUnicodeCodePage = 1200;
constexpr int kStyleXfs = 15; // XF 0 to 14: the style XFs every workbook carries
constexpr int kFonts = 5;     // font index 4 does not exist in BIFF: these are 0 to 3 and 5

// One sheet as saved: a run of a worksheet's rows, after the worksheet's header row when the
// run continues the worksheet on a further sheet.
struct Page {
    const XlsWorkbook::Worksheet* sheet;
    QString name;
    size_t first, count;
    bool repeatHeader;
    size_t boundSheetAt = 0; // position of its BOUNDSHEET record's offset field

    size_t Rows() const { return count + (repeatHeader ? 1 : 0); }
    const std::vector<XlsWorkbook::Cell>& Row(size_t r) const {
        if (repeatHeader) return sheet->rows[r == 0 ? 0 : first + r - 1];
        return sheet->rows[first + r];
    }
};

std::vector<Page> Paginate(const XlsWorkbook& book) {
    constexpr size_t kRows = XlsWorkbook::kSheetRows;
    std::vector<Page> pages;
    for (const auto& sheet : book.Sheets()) {
        const size_t rows = sheet.rows.size();
        pages.push_back({&sheet, sheet.name, 0, std::min(rows, kRows), false});
        int n = 2;
        for (size_t first = kRows; first < rows; first += kRows - 1, ++n)
            pages.push_back({&sheet, QStringLiteral("%1 (%2)").arg(sheet.name).arg(n), first,
                             std::min(rows - first, kRows - 1), true});
    }
    return pages;
}

// ShortXLUnicodeString: 1-byte length, option flags, characters (always UTF-16 here).
void PutShortString(std::string& out, const QString& s) {
    PutU8(out, uint8_t(s.size()));
    PutU8(out, 1);
    for (QChar c : s)
        PutU16(out, c.unicode());
}

void PutBof(std::string& out, uint16_t substream) {
    size_t at = BeginRecord(out, rtBOF);
    PutU16(out, kBiff8);
    PutU16(out, substream);
    PutU16(out, 0x0DBB); // build
    PutU16(out, 0x07CC); // build year
    PutU32(out, 0);      // file history flags
    PutU32(out, 0x0006); // lowest version that can read all records: BIFF8
    EndRecord(out, at);
}

void PutEof(std::string& out) {
    EndRecord(out, BeginRecord(out, rtEOF));
}

void PutU16Record(std::string& out, RecordId id, uint16_t value) {
    size_t at = BeginRecord(out, id);
    PutU16(out, value);
    EndRecord(out, at);
}

void PutWindow1(std::string& out) {
    size_t at = BeginRecord(out, rtWINDOW1);
    PutU16(out, 0);      // left
    PutU16(out, 0);      // top
    PutU16(out, 0x4000); // width
    PutU16(out, 0x2000); // height
    PutU16(out, 0x0038); // horizontal and vertical scroll bars, sheet tabs
    PutU16(out, 0);      // active sheet
    PutU16(out, 0);      // first visible tab
    PutU16(out, 1);      // selected sheets
    PutU16(out, 600);    // tab bar width ratio, in thousandths
    EndRecord(out, at);
}

void PutFont(std::string& out) {
    size_t at = BeginRecord(out, rtFONT);
    PutU16(out, 220);    // 11 point, in twips
    PutU16(out, 0);      // no italic, strike-out, outline, shadow
    PutU16(out, 0x7FFF); // automatic colour
    PutU16(out, 400);    // normal weight
    PutU16(out, 0);      // no super- or subscript
    PutU8(out, 0);       // no underline
    PutU8(out, 0);       // font family
    PutU8(out, 134);     // GB2312 character set
    PutU8(out, 0);
    PutShortString(out, QStringLiteral(u"宋体"));
    EndRecord(out, at);
}

// XF: font 0, format General, bottom aligned, no borders, default pattern colours.
void PutXf(std::string& out, uint16_t typeAndProtection, uint8_t usedAttributes) {
    size_t at = BeginRecord(out, rtXF);
    PutU16(out, 0); // font
    PutU16(out, 0); // number format: General
    PutU16(out, typeAndProtection);
    PutU8(out, 0x20); // horizontal General, vertical bottom
    PutU8(out, 0);    // rotation
    PutU8(out, 0);    // indent, shrink, reading order
    PutU8(out, usedAttributes);
    PutU32(out, 0);      // border lines and their colours
    PutU32(out, 0);      // more border colours, diagonal, fill pattern none
    PutU16(out, 0x20C0); // pattern colours: system window text and background
    EndRecord(out, at);
}

void PutXfs(std::string& out) {
    constexpr uint16_t kLocked = 0x0001, kStyle = 0x0004, kQuotePrefix = 0x0008;
    constexpr uint16_t kNoParent = 0xFFF0; // a style XF's parent field
    for (int i = 0; i < kStyleXfs; ++i)
        PutXf(out, kNoParent | kStyle | kLocked, i == 0 ? 0x00 : 0xF4);
    PutXf(out, kLocked, 0x00);                // xfGeneral: parent style XF 0 (Normal)
    PutXf(out, kLocked | kQuotePrefix, 0x00); // xfQuotePrefix
}

void PutNormalStyle(std::string& out) {
    size_t at = BeginRecord(out, rtSTYLE);
    PutU16(out, 0x8000); // built-in style on XF 0
    PutU8(out, 0);       // Normal
    PutU8(out, 0xFF);    // outline level: none
    EndRecord(out, at);
}

void PutBoundSheet(std::string& out, Page& page) {
    size_t at = BeginRecord(out, rtBOUNDSHEET);
    page.boundSheetAt = out.size();
    PutU32(out, 0); // stream position of the sheet's BOF, filled in when it is written
    PutU8(out, 0);  // visible
    PutU8(out, 0);  // worksheet
    PutShortString(out, page.name);
    EndRecord(out, at);
}

void PutDimensions(std::string& out, const Page& page) {
    uint32_t firstRow = 0, lastRow = 0; // lastRow is one past the end; 0: no cells
    uint16_t firstCol = 0xFFFF, lastCol = 0;
    for (size_t r = 0; r < page.Rows(); ++r) {
        const auto& cells = page.Row(r);
        if (cells.empty()) continue;
        if (lastRow == 0) firstRow = uint32_t(r);
        lastRow = uint32_t(r + 1);
        firstCol = std::min(firstCol, cells.front().col);
        lastCol = std::max(lastCol, uint16_t(cells.back().col + 1));
    }
    size_t at = BeginRecord(out, rtDIMENSIONS);
    PutU32(out, firstRow);
    PutU32(out, lastRow);
    PutU16(out, lastRow ? firstCol : 0);
    PutU16(out, lastCol);
    PutU16(out, 0);
    EndRecord(out, at);
}

void PutCells(std::string& out, const Page& page) {
    for (size_t r = 0; r < page.Rows(); ++r) {
        for (const auto& cell : page.Row(r)) {
            PutU16(out, rtLABELSST);
            PutU16(out, 10);
            PutU16(out, uint16_t(r));
            PutU16(out, cell.col);
            PutU16(out, cell.xf);
            PutU32(out, cell.sst);
        }
    }
}

void PutWindow2(std::string& out, bool selected) {
    // Grid lines, headers, zero values, default header colour, outline symbols; the first
    // sheet is also selected and shown.
    constexpr uint16_t kShown = 0x00B6, kSelectedAndPaged = 0x0600;
    size_t at = BeginRecord(out, rtWINDOW2);
    PutU16(out, selected ? kShown | kSelectedAndPaged : kShown);
    PutU16(out, 0);  // top row
    PutU16(out, 0);  // left column
    PutU16(out, 64); // grid line colour: automatic
    PutU16(out, 0);
    PutU16(out, 0); // zoom in page break preview: default
    PutU16(out, 0); // zoom in normal view: default
    PutU32(out, 0);
    EndRecord(out, at);
}

size_t CellCount(const Page& page) {
    size_t n = 0;
    for (size_t r = 0; r < page.Rows(); ++r)
        n += page.Row(r).size();
    return n;
}
} // namespace

std::string BuildWorkbookStream(const XlsWorkbook& book) {
    std::vector<Page> pages = Paginate(book);
    size_t cells = 0;
    for (const Page& page : pages)
        cells += CellCount(page);

    std::string out;
    out.reserve(4096 + cells * 14 + size_t(book.Strings().Count()) * 32);
    PutBof(out, kGlobalsSubstream);
    PutU16Record(out, rtCODEPAGE, kUnicodeCodePage);
    PutWindow1(out);
    for (int i = 0; i < kFonts; ++i)
        PutFont(out);
    PutXfs(out);
    PutNormalStyle(out);
    for (Page& page : pages)
        PutBoundSheet(out, page);
    book.Strings().Write(out, uint32_t(cells));
    PutEof(out);

    for (size_t i = 0; i < pages.size(); ++i) {
        SetU32(out, pages[i].boundSheetAt, uint32_t(out.size()));
        PutBof(out, kWorksheetSubstream);
        PutDimensions(out, pages[i]);
        PutCells(out, pages[i]);
        PutWindow2(out, i == 0);
        PutEof(out);
    }
    return out;
}
