#include "app/PacedOutput.h"

#include "WindowFixture.h"
#include "controls/MyProgressBarNew.h"
#include "support/FakeShell.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <gtest/gtest.h>

namespace {

// A bar that, like the window's, refuses a position outside its range, and logs what it took.
constexpr int64_t kNever = int64_t(1) << 62;

struct Paced : ::testing::Test {
    FakeProgress pb2, pb3;
    QList<QStringList> handed; // the line batches handed to the log
};

TEST_F(Paced, HandsOverTheLatestStateInOrderAtFlush) {
    PacedOutput paced(
        pb2, pb3, [this](const QStringList& l) { handed << l; }, kNever);
    paced.PB2().SetPosition(1); // the first change is shown at once
    EXPECT_EQ(pb2.calls, QStringList{"pos 1"});
    for (int file = 0; file < 3; ++file) {
        paced.PB3().SetVisible(true);
        paced.PB3().SetMax(300 + file);
        for (int block = 1; block <= 300 + file; ++block)
            paced.PB3().SetPosition(block);
        paced.PB3().SetSuffix("% " + QString::number(file));
        paced.PB3().SetVisible(false);
        paced.AddHistoryLines({"line " + QString::number(file)});
    }
    paced.PB2().SetPosition(7);
    EXPECT_TRUE(pb3.calls.isEmpty());
    EXPECT_EQ(pb2.calls, QStringList{"pos 1"});
    EXPECT_TRUE(handed.isEmpty());
    paced.Flush();
    // Hidden first, then the range before the position (302 is past the bar's old range).
    EXPECT_EQ(pb3.calls, (QStringList{"hide", "max 302", "pos 302", "suffix % 2"}));
    EXPECT_EQ(pb2.calls, (QStringList{"pos 1", "pos 7"}));
    ASSERT_EQ(handed.size(), 1);
    EXPECT_EQ(handed[0], (QStringList{"line 0", "line 1", "line 2"}));

    paced.AddHistoryLines({"dropped with the log"});
    paced.DropHistory();
    paced.AddHistoryLines({"after"});
    paced.Flush();
    EXPECT_EQ(handed.back(), QStringList{"after"});
}

TEST_F(Paced, ABarAppearsOrGoesBeforeAnEventTurnButOtherChangesWait) {
    PacedOutput paced(
        pb2, pb3, [this](const QStringList& l) { handed << l; }, kNever);
    paced.Flush();
    paced.PB3().SetVisible(true);
    paced.PB3().SetPosition(2);
    paced.FlushBeforeEvents();
    EXPECT_EQ(pb3.calls, (QStringList{"pos 2", "show"}));
    paced.PB3().SetPosition(3);
    paced.PB3().SetVisible(false);
    paced.PB3().SetVisible(true); // back as it was: nothing to show yet
    paced.FlushBeforeEvents();
    EXPECT_EQ(pb3.calls.size(), 2);
}

TEST_F(Paced, WithoutAnIntervalEveryChangePassesAtOnce) {
    PacedOutput paced(
        pb2, pb3, [this](const QStringList& l) { handed << l; }, 0);
    paced.PB2().SetMax(5);
    paced.PB2().SetPosition(3);
    paced.PB2().SetVisible(true);
    paced.AddHistoryLines({"a"});
    paced.AddHistoryLines({"b"});
    EXPECT_EQ(pb2.calls, (QStringList{"max 5", "pos 3", "show"}));
    EXPECT_EQ(handed, (QList<QStringList>{{"a"}, {"b"}}));
}

// Through the window: what a paced loop leaves is what it would have left unpaced, the log's
// thousand-line rule included.
TEST_F(WindowTest, PacedHistoryAndBarsEndAsUnpaced) {
    TFrmMain& w = Open();
    w.ClearHistory();
    w.SetPaced(true);
    w.PB2().SetMax(2000);
    w.PB2().SetVisible(true);
    for (int i = 1; i <= 1500; ++i) {
        w.PB2().SetPosition(i);
        w.AddHistory(QString::number(i));
    }
    w.PB2().SetSuffix(QStringLiteral("% done"));
    w.SetPaced(false);
    EXPECT_EQ(w.PB2Bar->Max(), 2000);
    EXPECT_EQ(w.PB2Bar->Position(), 1500);
    EXPECT_EQ(w.PB2Bar->PosTextSuffix(), QStringLiteral("% done"));
    // Emptied when the 1,002nd line came: 1002 .. 1500 remain.
    EXPECT_EQ(w.mmHis->blockCount(), 499);
    EXPECT_EQ(w.mmHis->document()->firstBlock().text(), QStringLiteral("1002"));
    EXPECT_EQ(w.mmHis->document()->lastBlock().text(), QStringLiteral("1500"));
}

} // namespace
