// The spreadsheet automation objects of the main window: the application wrapper
// (ExcelApplication) and the workbook wrapper (ExcelWorkbook). They offer the calls the
// export makes of a spreadsheet application (connect, Visible, Workbooks.Add, binding a
// workbook, Cells.Item put, SaveCopyAs, Close, disconnect) over an in-process application
// whose workbooks are saved as BIFF8 .xls files.
#pragma once

#include "export/XlsWorkbook.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A failed automation call; it ends the command and reaches the general error report.
class EExcelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The running application instance: its open workbooks, the last one added active.
struct ExcelInstance {
    bool visible = false;
    std::vector<std::shared_ptr<XlsWorkbook>> workbooks;
};

class TExcelApplication {
public:
    // Starts a new application instance; an instance still connected is reused.
    void Connect();
    // Releases the instance without asking it to quit.
    void Disconnect() { instance_.reset(); }
    bool Connected() const { return bool(instance_); }
    const ExcelInstance* Instance() const { return instance_.get(); }

    void SetVisible(int lcid, bool visible);
    // Workbooks.Add: a new workbook with one sheet, which becomes the active workbook.
    std::shared_ptr<XlsWorkbook> WorkbooksAdd(std::string_view templateName, int lcid);
    // Cells.Item put on the active sheet of the active workbook, 1-based. A value that begins
    // with an apostrophe is taken as text: the text after the mark, with the quote prefix.
    void CellsItemPut(int row, int col, std::string_view gbValue);

private:
    friend class TExcelWorkbook;
    ExcelInstance& Live() const;

    std::shared_ptr<ExcelInstance> instance_;
};

class TExcelWorkbook {
public:
    // Binds the wrapper to a workbook of the application's instance.
    void ConnectTo(TExcelApplication& app, std::shared_ptr<XlsWorkbook> workbook);
    void Disconnect();
    bool Connected() const { return bool(workbook_); }

    // Writes the workbook to the path (a safe write; throws EFileError).
    void SaveCopyAs(std::string_view gbPath, int lcid);
    // Closes the workbook: it leaves the application's workbooks.
    void Close(bool saveChanges, std::string_view fileName, std::string_view routeWorkbook,
               int lcid);

private:
    std::shared_ptr<ExcelInstance> instance_;
    std::shared_ptr<XlsWorkbook> workbook_;
};
