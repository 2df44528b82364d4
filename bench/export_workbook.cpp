// The spreadsheet export of a generated register (default 100,000 rows, 1.2 million cells)
// through the whole command path of the main window, offscreen: the menu command, the
// gradient bars that repaint at once, event processing, the .xls writer and the safe save.
// Anchor in the same run: libxlsxwriter writing the same cells (converted to UTF-8) as .xlsx.
//   bench_export_workbook [rows] [folder]   (default: 100000, beside the program)
#include "BenchUtil.h"
#include "app/uFrmMain.h"
#include "export/WorkbookExport.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <QAction>
#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <xlsxwriter.h>

namespace {

void Fill(VideoRegister& reg, int rows) {
    VideoRegister::BulkChange bulk(reg);
    std::vector<PackedRow> packed;
    packed.reserve(size_t(rows));
    for (int r = 1; r <= rows; ++r) {
        const std::string n = std::to_string(r);
        const std::string cells[PackedRow::kCells] = {
            PadLeft(n, ' ', 5),
            Utf8ToGb("/MEDIA/影视库" + std::to_string(r % 40) + "/电影/第" +
                     std::to_string(r % 700) + "部分/"),
            Utf8ToGb("星际旅行 THE VOYAGE PART " + n),
            r % 3 ? ".RMVB" : ".MKV",
            PadLeft(std::to_string(uint64_t(r) * 7919 % 4000000000u), '0', 12),
            "01:" + PadLeft(std::to_string(r % 60), '0', 2) + ":07",
            r % 2 ? "1280*720" : "1920*1080",
            Utf8ToGb("右声道"),
            "1",
            std::to_string(1980 + r % 45),
            Utf8ToGb(r % 5 ? "剧情" : "动作"),
            Utf8ToGb("演员" + std::to_string(r % 900))};
        std::array<std::string_view, PackedRow::kCells> views;
        for (int c = 0; c < PackedRow::kCells; ++c)
            views[size_t(c)] = cells[c];
        packed.emplace_back(views);
    }
    reg.SetRowCount(1);
    reg.AppendRows(std::move(packed));
    SetHeaderRow(reg, ColumnTitles());
}

// The writer alone: the same cells put and saved, without bars or events.
double WriterOnly(const VideoRegister& reg, const std::string& gbPath) {
    return Time([&] {
        TExcelApplication excel;
        excel.Connect();
        TExcelWorkbook book;
        book.ConnectTo(excel, excel.WorkbooksAdd({}, 0));
        std::string value;
        for (int r = 0; r <= reg.LastRow(); ++r)
            for (int c = 0; c < reg.ColCount(); ++c)
                excel.CellsItemPut(r + 1, c + 1, value.assign(1, '\'').append(reg.Cell(c, r)));
        book.SaveCopyAs(gbPath, 0);
    });
}

double XlsxWriter(const VideoRegister& reg, const std::string& path) {
    return Time([&] {
        lxw_workbook* book = workbook_new(path.c_str());
        lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
        for (int r = 0; r <= reg.LastRow(); ++r)
            for (int c = 0; c < reg.ColCount(); ++c)
                worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c),
                                       GbToUtf8(reg.Cell(c, r)).c_str(), nullptr);
        if (workbook_close(book) != LXW_NO_ERROR) std::fprintf(stderr, "libxlsxwriter failed\n");
    });
}
} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::string dir =
        (argc > 2 ? std::string(argv[2]) : QCoreApplication::applicationDirPath().toStdString()) +
        "/";

    TFrmMain window(Utf8ToGb(dir));
    window.show();
    VideoRegister& reg = window.Register();
    Fill(reg, rows);
    const double cells = double(reg.RowCount()) * reg.ColCount();
    std::printf("register: %d rows, %.0f cells\n", rows, cells);

    const double ours = Time([&] { window.N4->trigger(); });
    const auto size = std::filesystem::file_size(dir + "视频文件登记列表.xls");
    const double writer = WriterOnly(reg, Utf8ToGb(dir + "writer.xls"));
    const double anchor = XlsxWriter(reg, dir + "anchor.xlsx");
    const auto anchorSize = std::filesystem::file_size(dir + "anchor.xlsx");

    // The loop as literally described, events and bars after every cell, on a slice.
    const int slice = std::min(rows, 1000);
    TFrmMain literalWindow(Utf8ToGb(dir));
    literalWindow.show();
    Fill(literalWindow.Register(), slice);
    const double literal = Time([&] {
        ExportRegisterToWorkbook(literalWindow.Register(), Utf8ToGb(dir + "literal.xls"),
                                 literalWindow, literalWindow.ExcelApplication,
                                 literalWindow.ExcelWorkbook, 0);
    });
    const double literalScaled = literal * cells / ((slice + 1.0) * reg.ColCount());

    std::printf("export command (.xls, %.1f MB): %.3f s (%.2f us/cell)\n", double(size) / 1e6, ours,
                ours / cells * 1e6);
    std::printf("  writer alone (cells and save): %.3f s\n", writer);
    std::printf("  progress, events, loop:        %.3f s\n", ours - writer);
    std::printf("libxlsxwriter (.xlsx, %.1f MB): %.3f s (%.2f us/cell)\n", double(anchorSize) / 1e6,
                anchor, anchor / cells * 1e6);
    std::printf("ratio export / libxlsxwriter: %.2f\n", ours / anchor);
    std::printf("events and bars after every cell: %d rows %.3f s, scaled to %d rows %.1f s\n",
                slice, literal, rows, literalScaled);
    std::printf("resident memory: %.1f MB\n", double(ResidentBytes()) / 1e6);
    return 0;
}
