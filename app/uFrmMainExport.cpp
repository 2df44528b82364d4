// The export commands of the grid's pop-up menu: the register as a text file and as a
// spreadsheet workbook, both beside the program.
#include "app/uFrmMain.h"

#include "export/TextExport.h"
#include "export/WorkbookExport.h"

std::string TFrmMain::ExportFolder() const {
    return data_.Folder();
}

void TFrmMain::mnOutTxtClick() {
    ExportTextCommand(reg_, ExportFolder(), *this);
}

void TFrmMain::N4Click() {
    ExportWorkbookCommand(reg_, ExportFolder(), *this, ExcelApplication, ExcelWorkbook);
}
