#include "WindowFixture.h"

#include "app/GridMetrics.h"
#include "app/GridText.h"
#include "app/RegisterGrid.h"
#include "app/RowColours.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

namespace {
// n data rows; row r has the path /R<r>/ and the name N<r>.
void Fill(VideoRegister& reg, int n) {
    VideoRegister::BulkChange bulk(reg);
    reg.SetRowCount(n + 1);
    for (int r = 1; r <= n; ++r) {
        reg.SetCell(colPath, r, "/R" + std::to_string(r) + "/");
        reg.SetCell(colName, r, "N" + std::to_string(r));
    }
    RenumberRows(reg);
}

QPoint CellCentre(TRegisterGrid* sg, int col, int row) {
    return sg->visualRect(sg->model()->index(row - 1, col)).center();
}

// The register's selection is sel, and the grid's highlight and panel 3 show just that.
void ExpectShown(TFrmMain& w, GridRect sel) {
    EXPECT_EQ(w.Register().Cursor().Selection(), sel);
    const QItemSelection shown = w.sg->selectionModel()->selection();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(
        (GridRect{shown[0].left(), shown[0].top() + 1, shown[0].right(), shown[0].bottom() + 1}),
        sel);
    EXPECT_EQ(w.StatusText(3), QStringLiteral(" 选择行范围: %1--%2").arg(sel.top).arg(sel.bottom));
}

class GridTest : public WindowTest {
protected:
    TFrmMain& OpenShown(int rows) {
        TFrmMain& w = Open();
        Fill(w.Register(), rows);
        w.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        return w;
    }
    void Click(int col, int row, Qt::KeyboardModifiers mods = {}) {
        QTest::mouseClick(W().sg->viewport(), Qt::LeftButton, mods, CellCentre(W().sg, col, row));
    }
    void DoubleClick(int col, int row) {
        QTest::mouseDClick(W().sg->viewport(), Qt::LeftButton, {}, CellCentre(W().sg, col, row));
    }
};
} // namespace

TEST(RowColours, ByPictureWidth) {
    EXPECT_EQ(RowTextColour("1920x1080"), QColor(Qt::red));
    EXPECT_EQ(RowTextColour("1280x720"), QColor(Qt::red));
    EXPECT_EQ(RowTextColour("1024x768"), QColor(Qt::blue));
    EXPECT_EQ(RowTextColour("1279x720"), QColor(Qt::blue));
    EXPECT_EQ(RowTextColour("0720x576"), QColor(Qt::magenta));
    EXPECT_EQ(RowTextColour("0640x480"), std::nullopt);
    EXPECT_EQ(RowTextColour(""), std::nullopt);
    EXPECT_EQ(RowTextColour("abc"), std::nullopt);
    EXPECT_EQ(PictureWidth("0720x576"), 720);
}

// Text of the design font's size keeps the design's sizes; a taller line and wider digits
// scale them, so that every glyph of a row and of "1920x1080" fits its cell.
TEST(GridMetrics, ScaledByTheFontNeverBelowTheDesign) {
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(7);
    EXPECT_EQ(GridMetricsFor(QFontMetricsF(small)).rowHeight, 17);
    EXPECT_EQ(GridMetricsFor(QFontMetricsF(small)).columnWidths, kDesignColumnWidths);
    for (int pixels : {12, 24}) {
        QFont cjk;
        cjk.setFamilies({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
        cjk.setPixelSize(pixels);
        const QFontMetricsF fm(cjk);
        const TGridMetrics m = GridMetricsFor(fm);
        EXPECT_GE(m.rowHeight - 1, 2 + fm.height()) << pixels; // the line below is the grid's
        EXPECT_LE(2 + fm.horizontalAdvance(QStringLiteral("1920x1080")),
                  m.columnWidths[colResolution])
            << pixels;
        EXPECT_LE(2 + fm.horizontalAdvance(QStringLiteral("0700,000,000")), m.columnWidths[colSize])
            << pixels;
    }
}

TEST(GridText, ChannelCycle) {
    std::string c;
    QStringList seen;
    for (int i = 0; i < 4; ++i)
        seen << GbToQString(c = NextChannel(c));
    EXPECT_EQ(seen, QStringList({"左声道", "立体声", "右声道", "左声道"}));
    EXPECT_EQ(GbToQString(NextChannel("abc")), QStringLiteral("左声道"));
}

TEST_F(GridTest, RowsArePaintedInTheirColourInEveryColumn) {
    TFrmMain& w = OpenShown(5);
    VideoRegister& reg = w.Register();
    reg.SetCell(colResolution, 1, "1920x1080");
    reg.SetCell(colResolution, 2, "0720x576");
    for (int col = 0; col < 12; ++col)
        reg.SetCell(col, 1, "WWWWWWWW"); // text to look at
    reg.SetCell(colResolution, 1, "1920x1080");
    w.SelectGridRange(1, 5, 1, 5);
    QImage img = w.sg->viewport()->grab().toImage();
    auto hasColour = [&](int col, int row, QColor c) {
        QRect r = w.sg->visualRect(reg.index(row - 1, col)).adjusted(1, 1, -1, -1);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (img.pixelColor(x, y) == c) return true;
        return false;
    };
    for (int col : {0, 1, 6, 11})
        EXPECT_TRUE(hasColour(col, 1, Qt::red)) << col;
    EXPECT_TRUE(hasColour(6, 2, Qt::magenta));
    EXPECT_FALSE(hasColour(1, 3, Qt::red));
    // The number cell keeps the fixed look even when its row is selected.
    w.SelectAllRows();
    img = w.sg->viewport()->grab().toImage();
    QRect number = w.sg->visualRect(reg.index(3, 0));
    EXPECT_NE(img.pixelColor(number.left() + 1, number.bottom() - 1),
              w.sg->palette().color(QPalette::Highlight));
    // Every row colour and the normal text read on the grid's highlight at 3:1 or better.
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        const QColor highlight = w.sg->palette().color(group, QPalette::Highlight);
        for (const char* resolution : {"1920x1080", "1024x768", "0720x576"})
            EXPECT_GE(ContrastRatio(*RowTextColour(resolution), highlight), 3.0) << resolution;
        EXPECT_GE(ContrastRatio(w.sg->palette().color(group, QPalette::HighlightedText), highlight),
                  3.0);
    }
    // Rows are as high as the font needs.
    EXPECT_EQ(w.sg->rowHeight(0), GridMetricsFor(QFontMetricsF(w.sg->font(), w.sg)).rowHeight);
}

TEST_F(GridTest, ClickShowsTheCellAndSwitchesEditingByColumn) {
    TFrmMain& w = OpenShown(10);
    Click(colPath, 4);
    EXPECT_EQ(w.Register().Cursor().CurRow(), 4);
    EXPECT_EQ(w.Register().Cursor().CurCol(), colPath);
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" /R4/"));
    EXPECT_FALSE(w.sg->Editing());
    // Column 7: typing changes nothing and jumps nowhere.
    Click(colChannel, 4);
    QTest::keyClicks(w.sg, QStringLiteral("N"));
    EXPECT_EQ(w.Register().Cell(colChannel, 4), "");
    EXPECT_EQ(w.Register().Cursor().CurRow(), 4);
    // Column 8: typing 2 makes the track 2.
    Click(colTrack, 4);
    EXPECT_TRUE(w.sg->Editing());
    QTest::keyClicks(w.sg, QStringLiteral("2"));
    auto* editor = w.sg->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("2"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the delegate commits through a queued call
    EXPECT_EQ(w.Register().Cell(colTrack, 4), "2");
    // Text that would split the row on reading is refused with its reason; the cell keeps
    // its text. A character whose second byte is a caret is no caret.
    for (const auto& [text, refusal] : {std::pair{"a^^b", " 无法保存：含有“^^”"},
                                        {"1999^", " 无法保存：以“^”结尾"},
                                        {"香港 區", ""},
                                        {"過江龍^頭", ""}}) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // closed editors
        Click(colYear, 4);
        QTest::keyClick(w.sg, Qt::Key_F2);
        editor = w.sg->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(QString::fromUtf8(text));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        const bool refused = *refusal != 0;
        EXPECT_EQ(GbToUtf8(w.Register().Cell(colYear, 4)), refused ? "" : text);
        if (refused) {
            EXPECT_EQ(w.StatusText(1), QString::fromUtf8(refusal));
        }
        w.Register().SetCell(colYear, 4, "");
    }
}

TEST_F(GridTest, ProgramChangesOfTheCurrentCellRunSgClick) {
    TFrmMain& w = OpenShown(10);
    w.Register().Cursor().SetCurrent(colName, 7);
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" N7"));
    EXPECT_EQ(w.sg->currentIndex(), w.Register().index(6, colName));
    w.Register().Cursor().SetCurrent(colStars, 7);
    EXPECT_TRUE(w.sg->Editing());
}

TEST_F(GridTest, DragSelectionShowsTheRowRange) {
    TFrmMain& w = OpenShown(10);
    QWidget* vp = w.sg->viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, CellCentre(w.sg, 2, 3));
    QTest::mouseMove(vp, CellCentre(w.sg, 4, 7));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, CellCentre(w.sg, 4, 7));
    EXPECT_EQ(w.StatusText(3), QStringLiteral(" 选择行范围: 3--7"));
    EXPECT_EQ(w.Register().Cursor().Selection(), (GridRect{2, 3, 4, 7}));
    // Shift and an arrow key extend the rectangle.
    QTest::keyClick(w.sg, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(w.Register().Cursor().Selection().bottom, 8);
    // Shift pressed anew for each step, reported with the state after the press (so that
    // QKeyEvent::modifiers() gives it without Shift, as X11 with XKB can), grows
    // the range from the clicked cell instead of sliding it.
    Click(2, 1);
    for (int i = 0; i < 6; ++i) {
        QTest::keyPress(w.sg, Qt::Key_Shift, Qt::ShiftModifier);
        QTest::keyClick(w.sg, Qt::Key_Down, Qt::ShiftModifier);
        QTest::keyRelease(w.sg, Qt::Key_Shift, Qt::ShiftModifier);
    }
    ExpectShown(w, {2, 1, 2, 7});
    // A drag upwards spans from the pressed cell, which Shift and the arrow keys go on from.
    QTest::mousePress(vp, Qt::LeftButton, {}, CellCentre(w.sg, 4, 9));
    QTest::mouseMove(vp, CellCentre(w.sg, 2, 5));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, CellCentre(w.sg, 2, 5));
    QTest::keyClick(w.sg, Qt::Key_Up, Qt::ShiftModifier);
    ExpectShown(w, {2, 4, 4, 9});
}

TEST_F(GridTest, CtrlASelectsEveryDataCellWithoutScrolling) {
    TFrmMain& w = OpenShown(500);
    Click(3, 2);
    int top = w.sg->TopRow();
    QTest::keyPress(w.sg, Qt::Key_A, Qt::ControlModifier);
    QTest::keyRelease(w.sg, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(w.Register().Cursor().Selection(), (GridRect{1, 1, 11, 500}));
    EXPECT_EQ(w.Register().Cursor().CurCol(), 11);
    EXPECT_EQ(w.Register().Cursor().CurRow(), 500);
    EXPECT_EQ(w.sg->TopRow(), top);
    EXPECT_EQ(w.StatusText(3), QStringLiteral(" 选择行范围: 1--500"));
    // The anchor is (1, 1), not the cell clicked before.
    QTest::keyClick(w.sg, Qt::Key_Up, Qt::ShiftModifier);
    ExpectShown(w, {1, 1, 11, 499});
}

TEST_F(GridTest, DoubleClickStepsTheChannelAndCopiesNamesToTheQuery) {
    TFrmMain& w = OpenShown(5);
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
        DoubleClick(colChannel, 2);
        seen << GbToQString(w.Register().Cell(colChannel, 2));
    }
    EXPECT_EQ(seen, QStringList({"左声道", "立体声", "右声道", "左声道"}));
    DoubleClick(colName, 3);
    EXPECT_EQ(w.edCont->text(), QStringLiteral("N3"));
    EXPECT_TRUE(Ini().contains(QStringLiteral("edCont=N3")));
    w.SoundLevel->setValue(7000);
    EXPECT_TRUE(Ini().contains(QStringLiteral("SoundLevel=7000")));
    DoubleClick(colPath, 4);
    EXPECT_EQ(w.edCont->text(), QStringLiteral("/R4/"));
}

TEST_F(GridTest, WheelScrollsOneRowAndLeavesTheCurrentCell) {
    TFrmMain& w = OpenShown(200);
    Click(2, 2);
    auto wheel = [&](int delta) {
        QPoint at = CellCentre(w.sg, 2, w.sg->TopRow());
        QWheelEvent e(at, w.sg->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w.sg->viewport(), &e);
    };
    wheel(120);
    EXPECT_EQ(w.sg->TopRow(), 1);
    wheel(-120);
    EXPECT_EQ(w.sg->TopRow(), 2);
    wheel(-360);
    EXPECT_EQ(w.sg->TopRow(), 5);
    wheel(120);
    EXPECT_EQ(w.sg->TopRow(), 4);
    EXPECT_EQ(w.Register().Cursor().CurRow(), 2);
    EXPECT_EQ(w.Register().Cursor().Selection(), (GridRect{2, 2, 2, 2}));
}

TEST_F(GridTest, ContextMenuEnablesRenameItemsByColumn) {
    TFrmMain& w = OpenShown(3);
    Click(3, 1);
    w.sgContextPopup(w.sg->ColumnAt(CellCentre(w.sg, colName, 2)), QPoint(10, 10));
    EXPECT_TRUE(w.mnRename->isEnabled());
    EXPECT_FALSE(w.mnRenameDir->isEnabled());
    w.PopupMenu1->hide();
    w.sgContextPopup(w.sg->ColumnAt(CellCentre(w.sg, colPath, 2)), QPoint(10, 10));
    EXPECT_FALSE(w.mnRename->isEnabled());
    EXPECT_TRUE(w.mnRenameDir->isEnabled());
    w.PopupMenu1->hide();
    // Below the last row: outside every cell.
    w.sgContextPopup(w.sg->ColumnAt(QPoint(50, w.sg->viewport()->height() - 3)), QPoint(10, 10));
    EXPECT_FALSE(w.mnRename->isEnabled());
    EXPECT_FALSE(w.mnRenameDir->isEnabled());
    w.PopupMenu1->hide();
    // A right click changes neither the current cell nor the selection.
    QTest::mouseClick(w.sg->viewport(), Qt::RightButton, {}, CellCentre(w.sg, 5, 3));
    EXPECT_EQ(w.Register().Cursor().CurRow(), 1);
    EXPECT_EQ(w.Register().Cursor().CurCol(), 3);
    w.PopupMenu1->hide();
    // The header cell of column 2.
    QHeaderView* header = w.sg->horizontalHeader();
    QPoint headerPos(header->sectionViewportPosition(colName) + 5, 5);
    QContextMenuEvent e(QContextMenuEvent::Mouse, headerPos, header->mapToGlobal(headerPos));
    QApplication::sendEvent(header, &e);
    EXPECT_TRUE(w.mnRename->isEnabled());
    w.PopupMenu1->hide();
}

TEST_F(GridTest, DraggingARowByItsNumberMovesAndRenumbers) {
    TFrmMain& w = OpenShown(8);
    QWidget* vp = w.sg->viewport();
    Click(3, 7);
    QTest::mousePress(vp, Qt::LeftButton, {}, CellCentre(w.sg, 0, 5));
    QTest::mouseMove(vp, CellCentre(w.sg, 0, 3));
    QTest::mouseMove(vp, CellCentre(w.sg, 0, 1));
    QTest::mouseRelease(vp, Qt::LeftButton, {}, CellCentre(w.sg, 0, 1));
    VideoRegister& reg = w.Register();
    EXPECT_EQ(reg.Cell(colName, 1), "N5");
    EXPECT_EQ(reg.Cell(colNumber, 1), "    1");
    for (int r = 2; r <= 5; ++r) {
        EXPECT_EQ(reg.Cell(colName, r), "N" + std::to_string(r - 1));
        EXPECT_EQ(reg.Cell(colNumber, r), PadLeft(std::to_string(r), ' ', 5));
    }
    EXPECT_EQ(reg.Cell(colName, 6), "N6");
    // The moved row holds the current cell, on its data column, and alone is selected.
    EXPECT_EQ(reg.Cursor().CurCol(), 3);
    EXPECT_EQ(reg.Cursor().CurRow(), 1);
    EXPECT_EQ(w.sg->currentIndex(), reg.index(0, 3));
    ExpectShown(w, {3, 1, 3, 1});
}

TEST_F(GridTest, AfterEveryChangeOfTheTableTheSelectionShownIsWhatCommandsActOn) {
    TFrmMain& w = OpenShown(10);
    VideoRegister& reg = w.Register();
    // A reload of a file that now holds 2 rows: the current cell, clamped, alone selected.
    w.SelectGridRange(1, 1, 11, 7);
    WriteFile(QStringLiteral("视频登记库.vdb"),
              QStringLiteral("1^^/X/^^ONE^^.AVI^^\r\n2^^/X/^^TWO^^.AVI^^\r\n"));
    w.mnReloadVDB->trigger();
    ExpectShown(w, {11, 2, 11, 2});
    w.mnDelRow->trigger();
    EXPECT_EQ(reg.LastRow(), 1);
    EXPECT_EQ(reg.Cell(colName, 1), "ONE");

    // Removed rows shrink the selection to what is left of it.
    Fill(reg, 10);
    reg.SetCell(colName, 4, "N2");
    reg.SetCell(colName, 8, "N2");
    w.SelectGridRange(1, 3, 11, 6);
    w.mnDelLeft->trigger(); // rows 4 and 8 repeat row 2
    ExpectShown(w, {1, 3, 11, 5});
    // None of it left: the current cell alone; it kept its index.
    w.mnDelRow->trigger();
    EXPECT_EQ(reg.LastRow(), 5);
    EXPECT_EQ(reg.Cell(colName, 3), "N7");
    ExpectShown(w, {11, 5, 11, 5});
    // A purge that leaves only the blank row.
    w.SelectGridRange(2, 1, 11, 5);
    w.mnDelEmpty->trigger();
    ExpectShown(w, {2, 1, 11, 1});

    // A selection given past the last row stops there.
    Fill(reg, 6);
    reg.Cursor().SetSelection({1, 4, 11, 40});
    ExpectShown(w, {1, 4, 11, 6});
    // A click below the last row clears no selection.
    QTest::mouseClick(w.sg->viewport(), Qt::LeftButton, {},
                      QPoint(50, w.sg->viewport()->height() - 3));
    ExpectShown(w, {1, 4, 11, 6});
}

TEST_F(GridTest, TheNumberColumnIsNeverCurrentNorSelected) {
    TFrmMain& w = OpenShown(5);
    Click(1, 3);
    QTest::keyClick(w.sg, Qt::Key_Left);
    EXPECT_EQ(w.Register().Cursor().CurCol(), 1);
    Click(0, 2); // a press on the number cell starts a row move, nothing else
    EXPECT_EQ(w.Register().Cursor().CurRow(), 3);
    EXPECT_EQ(w.Register().Cursor().Selection().left, 1);
}

TEST_F(GridTest, BulkChangesKeepTheRegistersCurrentCellAndSelection) {
    TFrmMain& w = OpenShown(50);
    w.SelectGridRange(2, 10, 4, 12);
    {
        VideoRegister::BulkChange bulk(w.Register());
        w.Register().SwapRows(10, 20);
        w.Register().Cursor().SetCurrent(3, 20);
        w.Register().Cursor().SetSelection({3, 20, 3, 20});
    }
    EXPECT_EQ(w.sg->currentIndex(), w.Register().index(19, 3));
    auto ranges = w.sg->selectionModel()->selection();
    ASSERT_EQ(ranges.size(), 1);
    EXPECT_EQ(ranges[0].top(), 19);
    EXPECT_EQ(ranges[0].left(), 3);
}
