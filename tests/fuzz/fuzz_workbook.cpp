// The workbook writer with arbitrary cells: any texts (from GB18030 bytes as the export
// gives them, or any UTF-16 units), long ones that cross record boundaries, overwritten
// cells and rows past one sheet's 65,536. The saved file is read back by our own structure
// reader and must hold exactly the cells put, on the sheets the row split gives.
#include "FuzzSupport.h"
#include "XlsReader.h"

#include "export/XlsWorkbook.h"
#include "platform/text/GbText.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

using Cells = std::map<std::pair<int, int>, std::pair<std::u16string, int>>;

QString Text(FuzzedDataProvider& fdp) {
    std::string bytes = fdp.ConsumeRandomLengthString(16);
    QString piece;
    if (fdp.ConsumeBool()) {
        piece = GbToQString(bytes);
    } else {
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            piece += QChar(char16_t(uint8_t(bytes[i]) | uint8_t(bytes[i + 1]) << 8));
    }
    QString text = piece.repeated(fdp.ConsumeIntegralInRange(1, 600));
    return text.left(XlsWorkbook::kMaxTextLength);
}

// The worksheet's cells as the sheets of the file hold them: the first sheet rows 0 to
// 65,535, each further sheet the header row followed by the next 65,535 rows.
std::vector<Cells> SplitIntoSheets(const Cells& cells, int rowCount) {
    const int rows = XlsWorkbook::kSheetRows;
    int sheets = rowCount <= rows ? 1 : 1 + (rowCount - rows + rows - 2) / (rows - 1);
    std::vector<Cells> out(static_cast<size_t>(sheets));
    for (const auto& [at, value] : cells) {
        auto [row, col] = at;
        if (row < rows) {
            out[0][at] = value;
            if (row == 0)
                for (int k = 1; k < sheets; ++k)
                    out[size_t(k)][at] = value;
        } else {
            int k = 1 + (row - rows) / (rows - 1);
            out[size_t(k)][{1 + (row - rows) % (rows - 1), col}] = value;
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    XlsWorkbook book;
    Cells put;
    int rowCount = 0;
    for (int n = fdp.ConsumeIntegralInRange(0, 120); n > 0 && fdp.remaining_bytes() > 0; --n) {
        int row = fdp.ConsumeBool() ? fdp.ConsumeIntegralInRange(0, 30)
                                    : fdp.ConsumeIntegralInRange(0, 140000);
        int col = fdp.ConsumeIntegralInRange(0, XlsWorkbook::kSheetColumns - 1);
        auto format = fdp.ConsumeBool() ? XlsWorkbook::xfQuotePrefix : XlsWorkbook::xfGeneral;
        QString text = Text(fdp);
        book.PutText(0, row, col, text, format);
        put[{row, col}] = {text.toStdU16String(), int(format)};
        rowCount = std::max(rowCount, row + 1);
    }
    const std::string path = ScratchDir() + "book.xls";
    book.Save(path);
    xlsread::Book read = xlsread::Read(ReadBytes(path));
    if (!read.error.empty()) std::fprintf(stderr, "reader: %s\n", read.error.c_str());
    FUZZ_CHECK(read.error.empty());

    auto expected = SplitIntoSheets(put, rowCount);
    FUZZ_CHECK(read.sheets.size() == expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        std::u16string name =
            k == 0 ? u"Sheet1" : u"Sheet1 (" + QString::number(k + 1).toStdU16String() + u")";
        FUZZ_CHECK(read.sheets[k].name == name);
        FUZZ_CHECK(read.sheets[k].cells == expected[k]);
    }
    return 0;
}
