#include "export/ExcelAutomation.h"

#include "platform/text/GbText.h"

#include <algorithm>

void TExcelApplication::Connect() {
    if (!instance_) instance_ = std::make_shared<ExcelInstance>();
}

ExcelInstance& TExcelApplication::Live() const {
    if (!instance_) throw EExcelError("Excel application: not connected");
    return *instance_;
}

void TExcelApplication::SetVisible(int /*lcid*/, bool visible) {
    Live().visible = visible;
}

std::shared_ptr<XlsWorkbook> TExcelApplication::WorkbooksAdd(std::string_view templateName,
                                                             int /*lcid*/) {
    if (!templateName.empty()) throw EExcelError("Workbooks.Add: templates are not supported");
    auto book = std::make_shared<XlsWorkbook>();
    Live().workbooks.push_back(book);
    return book;
}

void TExcelApplication::CellsItemPut(int row, int col, std::string_view gbValue) {
    ExcelInstance& app = Live();
    if (app.workbooks.empty()) throw EExcelError("Cells.Item: no active workbook");
    auto format = XlsWorkbook::xfGeneral;
    if (!gbValue.empty() && gbValue.front() == '\'') {
        gbValue.remove_prefix(1);
        format = XlsWorkbook::xfQuotePrefix;
    }
    try {
        app.workbooks.back()->PutText(0, row - 1, col - 1, GbToQString(gbValue), format);
    } catch (const std::out_of_range& e) {
        throw EExcelError(std::string("Cells.Item: ") + e.what());
    }
}

void TExcelWorkbook::ConnectTo(TExcelApplication& app, std::shared_ptr<XlsWorkbook> workbook) {
    app.Live();
    instance_ = app.instance_;
    workbook_ = std::move(workbook);
}

void TExcelWorkbook::Disconnect() {
    workbook_.reset();
    instance_.reset();
}

void TExcelWorkbook::SaveCopyAs(std::string_view gbPath, int /*lcid*/) {
    if (!workbook_) throw EExcelError("Excel workbook: not connected");
    workbook_->Save(gbPath);
}

void TExcelWorkbook::Close(bool saveChanges, std::string_view fileName,
                           std::string_view /*routeWorkbook*/, int lcid) {
    if (!workbook_) throw EExcelError("Excel workbook: not connected");
    if (saveChanges) {
        if (fileName.empty()) throw EExcelError("Workbook.Close: no file name to save under");
        SaveCopyAs(fileName, lcid);
    }
    auto& books = instance_->workbooks;
    books.erase(std::remove(books.begin(), books.end(), workbook_), books.end());
}
