#include "WindowFixture.h"

#include "app/GridMetrics.h"

#include "app/RegisterGrid.h"
#include "controls/MyProgressBarNew.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <ctime>

TEST_F(WindowTest, StatusTextGetsALeadingBlankAndIgnoresUnknownPanels) {
    TFrmMain& w = Open();
    w.SetStatusText(1, QStringLiteral("完成"));
    EXPECT_EQ(w.StatusText(1), QStringLiteral(" 完成"));
    w.SetStatusText(4, QStringLiteral("x"));
    w.SetStatusText(-1, QStringLiteral("x"));
    for (int i = 0; i < 4; ++i)
        EXPECT_NE(w.StatusText(i), QStringLiteral(" x"));
}

TEST_F(WindowTest, HistoryIsEmptiedWhenItHoldsMoreThanAThousandLines) {
    TFrmMain& w = Open();
    for (int i = 1; i <= 1000; ++i)
        w.AddHistory(QString::number(i));
    EXPECT_EQ(w.mmHis->blockCount(), 1001); // "操作记录" and 1,000 lines
    w.AddHistory(QStringLiteral("new"));
    EXPECT_EQ(w.mmHis->toPlainText(), QStringLiteral("new"));
    w.AddHistory(QStringLiteral("next"));
    EXPECT_EQ(w.mmHis->toPlainText(), QStringLiteral("new\nnext"));
    w.ClearHistory();
    w.AddHistory(QStringLiteral("only"));
    EXPECT_EQ(w.mmHis->toPlainText(), QStringLiteral("only"));
    w.ShowHistoryPage();
    EXPECT_EQ(w.PC->currentWidget(), w.TabSheet4);
}

TEST_F(WindowTest, DelayMsWaitsAndZeroProcessesNothing) {
    TFrmMain& w = Open();
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    w.DelayMs(0);
    EXPECT_FALSE(fired);
    QElapsedTimer t;
    t.start();
    w.DelayMs(30);
    EXPECT_TRUE(fired);
    EXPECT_GE(t.elapsed(), 30);
}

namespace {
// The processor time of the calling thread, in milliseconds.
double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}
} // namespace

// The wait sleeps on the event queue: events posted during it are handled when they arrive,
// and the window's thread uses far less than the whole wait in processor time.
TEST_F(WindowTest, DelayMsSleepsButHandlesEventsOnTime) {
    TFrmMain& w = Open();
    // The new window's first layout and paint are work, not waiting (slow under sanitizers).
    QCoreApplication::processEvents();
    qint64 handledAt = -1;
    QElapsedTimer t;
    const double cpuStart = ThreadCpuMs();
    t.start();
    QTimer::singleShot(50, [&] { handledAt = t.elapsed(); });
    w.DelayMs(300);
    const qint64 wall = t.elapsed();
    const double cpuMs = ThreadCpuMs() - cpuStart;
    EXPECT_GE(wall, 300);
    EXPECT_GE(handledAt, 0);
    EXPECT_LT(handledAt, 250); // when it came, not at the end of the wait
    EXPECT_LT(cpuMs, wall / 2.0);
}

TEST_F(WindowTest, LockControlsDisablesTheBusyAreaButNotTheBreakButton) {
    TFrmMain& w = Open();
    w.show();
    w.LockControls(true);
    for (QWidget* c : {static_cast<QWidget*>(w.gbType), static_cast<QWidget*>(w.gbPlay),
                       static_cast<QWidget*>(w.sg), static_cast<QWidget*>(w.btnAddDir),
                       static_cast<QWidget*>(w.btnDelDir), static_cast<QWidget*>(w.stDir),
                       static_cast<QWidget*>(w.lstDirs), static_cast<QWidget*>(w.btnSearchAppend),
                       static_cast<QWidget*>(w.btnSearchNew), w.plTool})
        EXPECT_FALSE(c->isEnabled()) << c->objectName().toStdString();
    w.ShowBreakButton(true);
    EXPECT_TRUE(w.btnBreak->isVisible());
    EXPECT_TRUE(w.btnBreak->isEnabled());
    EXPECT_EQ(w.btnBreak->size(), QSize(34, 24));
    QTest::mouseClick(w.btnBreak, Qt::LeftButton);
    EXPECT_TRUE(BreakFlag);
    EXPECT_FALSE(w.btnBreak->isVisible());
    w.LockControls(false);
    EXPECT_TRUE(w.sg->isEnabled());
    EXPECT_TRUE(w.plTool->isEnabled());
}

TEST_F(WindowTest, ResizeFitsColumnsAndWritesAllFourPlacementValues) {
    TFrmMain& w = Open();
    QHeaderView* h = w.sg->horizontalHeader();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // The other columns as sized for the font (509 pixels for the design's font).
    const TGridMetrics m = GridMetricsFor(QFontMetricsF(w.sg->font(), w.sg));
    int others = 0;
    for (int col : {0, 3, 4, 5, 6, 7, 8, 9, 10, 11}) {
        EXPECT_EQ(h->sectionSize(col), m.columnWidths[size_t(col)]) << col;
        others += m.columnWidths[size_t(col)];
    }
    // The first show fits the columns to the width the window got (at least its minimum).
    int b = w.width() - others - 21 - 12;
    EXPECT_EQ(h->sectionSize(1), int(b * 0.6));
    EXPECT_EQ(h->sectionSize(1) + h->sectionSize(2), b);
    // With the design's font B = 900 - 509 - 21 - 12 = 358: 214.8 truncated to 214, and 144.
    for (int width : {900, 1000}) {
        w.resize(width, 500);
        b = width - others - 21 - 12;
        EXPECT_EQ(h->sectionSize(1), int(b * 0.6));
        EXPECT_EQ(h->sectionSize(2), b - int(b * 0.6));
    }
    QString ini = Ini();
    EXPECT_TRUE(ini.contains(QStringLiteral("WindowsW=1000"))) << ini.toStdString();
    EXPECT_TRUE(ini.contains(QStringLiteral("WindowsH=500")));
    EXPECT_TRUE(ini.contains(QStringLiteral("WindowsL=")));
    EXPECT_TRUE(ini.contains(QStringLiteral("WindowsT=")));
}

TEST_F(WindowTest, MoveWritesOnlyThePosition) {
    TFrmMain& w = Open();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QFile::remove(dir_ + QStringLiteral("系统参数.INI"));
    w.move(120, 80);
    QCoreApplication::processEvents();
    QString ini = Ini();
    EXPECT_TRUE(ini.contains(QStringLiteral("WindowsL=120"))) << ini.toStdString();
    EXPECT_TRUE(ini.contains(QStringLiteral("WindowsT=80")));
    EXPECT_FALSE(ini.contains(QStringLiteral("WindowsW")));
}

TEST_F(WindowTest, TheWindowKeepsItsMinimumSize) {
    WriteFile(QStringLiteral("系统参数.INI"),
              QStringLiteral("[START]\r\nWindowsW=200\r\nWindowsH=100\r\n"));
    TFrmMain& w = Open();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QSize outer = w.frameGeometry().size();
    EXPECT_GE(outer.width(), 860);
    EXPECT_GE(outer.height(), 348);
}

TEST_F(WindowTest, ClosingDuringALongLoopBreaksItThenCloses) {
    TFrmMain& w = Open();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTimer::singleShot(0, &w, [&] { w.close(); });
    int units = 0;
    // A long loop as the subsystems run it: one unit of work, events, the break test.
    while (!BreakFlag && units < 100000) {
        ++units;
        w.ProcessEvents();
    }
    EXPECT_TRUE(BreakFlag);
    EXPECT_TRUE(w.isVisible()); // still open while the loop returns
    QTest::qWait(100);          // back in the main loop
    EXPECT_FALSE(w.isVisible());
}
