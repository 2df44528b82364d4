// The export commands through the main window's pop-up menu items.
#include "ExportTestSupport.h"
#include "app/WindowFixture.h"

#include "register/GridStore.h"

#include <QAction>
#include <QPushButton>
#include <QTimer>

using ExportWindow = WindowTest;

TEST_F(ExportWindow, MenuItemsWriteBothExportsBesideTheProgram) {
    TFrmMain& w = Open();
    FillRegister(w.Register(), 3);
    w.Register().SetCell(colName, 1, Utf8ToGb("星澜"));

    w.mnOutTxt->trigger();
    EXPECT_EQ(w.StatusText(1), QString::fromUtf8(" 输出登记库文本文件完成：") + dir_ +
                                   QString::fromUtf8("视频文件登记列表.txt"));
    EXPECT_EQ(ReadFile(QString::fromUtf8("视频文件登记列表.txt")).count("\r\n"), 3);

    w.N4->trigger();
    const QString xls = dir_ + QString::fromUtf8("视频文件登记列表.xls");
    EXPECT_EQ(w.StatusText(1), QString::fromUtf8(" 输出登记库电子表格完成：") + xls);
    const auto sheets = ReadXls(xls.toStdString(), true);
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0].rows, RegisterRows(w.Register(), 0, 3));
    EXPECT_FALSE(w.btnBreak->isVisible());
    EXPECT_FALSE(w.ExcelApplication.Connected());
}

TEST_F(ExportWindow, BreakButtonStopsTheExportAndKeepsThePartialWorkbook) {
    TFrmMain& w = Open();
    w.show();
    FillRegister(w.Register(), 500);
    // The click waits in the event queue until the export's first turn of event processing.
    QTimer::singleShot(0, w.btnBreak, &QPushButton::click);
    w.N4->trigger();
    EXPECT_TRUE(BreakFlag);
    EXPECT_FALSE(w.btnBreak->isVisible());
    const auto sheets =
        ReadXls((dir_ + QString::fromUtf8("视频文件登记列表.xls")).toStdString(), true);
    ASSERT_EQ(sheets.size(), 1u);
    ASSERT_EQ(sheets[0].nrows, 1); // the first cell only
    EXPECT_EQ(sheets[0].rows[0][0], GbToQString(w.Register().Cell(0, 0)));
    EXPECT_TRUE(w.StatusText(1).startsWith(QString::fromUtf8(" 输出登记库电子表格完成：")));
}
