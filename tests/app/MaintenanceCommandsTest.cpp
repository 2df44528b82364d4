#include "WindowFixture.h"

#include "app/RegisterGrid.h"
#include "controls/MyProgressBarNew.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {
QString Row(const char* number, const char* dir, const char* name, const char* type,
            const char* size = "", const char* time = "", const char* resolution = "") {
    return QStringLiteral("%1^^%2^^%3^^%4^^%5^^%6^^%7^^右声道^^1^^^^^^^^\r\n")
        .arg(number, dir, name, type, size, time, resolution);
}
} // namespace

TEST_F(WindowTest, SortCommandsFromTheMenuReorderAndRenumber) {
    WriteFile(QStringLiteral("视频登记库.vdb"),
              Row("1", "/B/", "CAT", ".MKV", "0002,000,000", "01:00:00", "1920x800") +
                  Row("2", "/A/", "BEE", ".AVI", "0001,000,000", "00:30:00", "0720x576") +
                  Row("3", "/C/", "ANT", ".RMVB", "0003,000,000", "02:00:00", "1920x1080"));
    TFrmMain& w = Open();
    const std::pair<QAction*, std::vector<std::string>> cases[] = {
        {w.mnSortFileName, {"ANT", "BEE", "CAT"}},   {w.mnSortDir, {"BEE", "CAT", "ANT"}},
        {w.mnSortSize, {"BEE", "CAT", "ANT"}},       {w.mnSortTime, {"BEE", "CAT", "ANT"}},
        {w.mnSortResolution, {"BEE", "CAT", "ANT"}}, {w.mnSortType, {"BEE", "CAT", "ANT"}}};
    for (const auto& [action, names] : cases) {
        w.mnSortFileName->trigger(); // a fixed starting order
        action->trigger();
        std::vector<std::string> got;
        for (int r = 1; r <= 3; ++r)
            got.emplace_back(w.Register().Cell(2, r));
        EXPECT_EQ(got, names) << action->objectName().toStdString();
        EXPECT_EQ(w.Register().Cell(0, 3), "    3");
    }
    EXPECT_TRUE(dialogs_.errors.isEmpty());
}

TEST_F(WindowTest, QueryButtonsFindTheNextRowAndTheGridFollows) {
    WriteFile(QStringLiteral("视频登记库.vdb"), Row("1", "/A/", "MOVIE1", ".AVI") +
                                                    Row("2", "/2008/", "FILM", ".AVI") +
                                                    Row("3", "/A/", "MOVIE3", ".AVI"));
    TFrmMain& w = Open();
    w.Register().Cursor().SetCurrent(1, 1);
    w.edCont->setText("MOVIE");
    w.btnQryFileName->click();
    EXPECT_EQ(w.Register().Cursor().CurRow(), 3);
    EXPECT_EQ(w.Register().Cursor().CurCol(), 2);
    // The new current cell's text replaces the found message (the grid's click handler).
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" MOVIE3"));
    EXPECT_EQ(w.sg->currentIndex().row(), 2);
    w.edCont->setText("/2008/");
    w.btnQryFilePath->click();
    EXPECT_EQ(w.Register().Cursor().CurRow(), 2);
    EXPECT_EQ(w.Register().Cursor().CurCol(), 1);
    w.edCont->setText("NOWHERE");
    w.btnQryFilePath->click();
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" 路径信息中没有检索到内容: NOWHERE"));
}

TEST_F(WindowTest, CleanUpCommandsRemoveRowsAndReport) {
    WriteFile(QStringLiteral("视频登记库.vdb"),
              Row("1", "/A/", "FILM", ".AVI") + Row("2", "/B/", "OTHER", ".AVI") +
                  Row("3", "/C/", "FILM", ".MKV") + Row("4", "/D/", "LAST", ".AVI"));
    TFrmMain& w = Open();
    w.mnDelLeft->trigger();
    EXPECT_EQ(w.Register().LastRow(), 3);
    EXPECT_EQ(w.mmHis->toPlainText(), QStringLiteral("删除记录：/C/FILM.MKV"));
    EXPECT_EQ(w.PC->currentWidget(), w.TabSheet4);
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" 共删除记录：1条"));
    EXPECT_TRUE(w.PB2Bar->isHidden() && w.PB3Bar->isHidden());

    w.Register().Cursor().SetSelection({1, 2, 11, 2});
    w.mnDelRow->trigger();
    EXPECT_EQ(w.Register().LastRow(), 2);
    EXPECT_EQ(w.Register().Cell(2, 2), "LAST");

    w.mnDelEmpty->trigger(); // none of the files exists
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" 共删除不存在记录 2 条"));
    EXPECT_EQ(w.Register().LastRow(), 1);
    EXPECT_TRUE(dialogs_.errors.isEmpty());
}

TEST_F(WindowTest, InsertCommandRegistersThePickedFiles) {
    TFrmMain& w = Open();
    dialogs_.files.push_back({"/films/b.avi", "/films/a.rmvb"});
    w.mnInsert->trigger();
    EXPECT_EQ(w.Register().LastRow(), 2);
    EXPECT_EQ(w.Register().Cell(2, 1), "A");
    EXPECT_EQ(w.Register().Cell(2, 2), "B");
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" 共加入记录 2 条"));
    ASSERT_EQ(dialogs_.calls.size(), 1);
    EXPECT_TRUE(dialogs_.calls[0].startsWith(QStringLiteral("OpenFiles: 选择视频文件 | ")));
}

TEST_F(WindowTest, HistoryLinesAtOnceLeaveWhatOneByOneLeaves) {
    TFrmMain& w = Open();
    for (int before : {0, 3, 999}) {
        for (int count : {1, 998, 1003, 2500}) {
            QStringList lines;
            for (int k = 0; k < count; ++k)
                lines << QStringLiteral("line %1").arg(k);
            w.ClearHistory();
            for (int k = 0; k < before; ++k)
                w.AddHistory("old");
            for (const QString& line : lines)
                w.AddHistory(line);
            const QString oneByOne = w.mmHis->toPlainText();
            w.ClearHistory();
            for (int k = 0; k < before; ++k)
                w.AddHistory("old");
            w.AddHistoryLines(lines);
            EXPECT_EQ(w.mmHis->toPlainText(), oneByOne) << before << " " << count;
        }
    }
}
