#include "maintenance/QueryRows.h"
#include "TestRegister.h"
#include "platform/text/GbText.h"
#include "support/FakeShell.h"

#include <gtest/gtest.h>

namespace {

// Ten rows; rows 3 and 7 hold MOVIE in their names and /2008/ in their paths.
void FillTen(VideoRegister& reg) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 1; r <= 10; ++r) {
        bool hit = r == 3 || r == 7;
        rows.push_back({"", hit ? "/FILMS/2008/" : "/FILMS/2009/",
                        (hit ? "MOVIE" : "FILM") + std::to_string(r), ".AVI"});
    }
    SetRows(reg, rows);
}

QString Found(int row) {
    return QStringLiteral("检索到内容，第 %1行").arg(row);
}

} // namespace

TEST(QueryRows, StepsThroughMatchesAndWrapsAround) {
    VideoRegister reg;
    FillTen(reg);
    FakeShell shell;
    std::vector<std::pair<int, int>> changes;
    QObject::connect(&reg.Cursor(), &TRegisterCursor::currentChanged,
                     [&](int c, int r) { changes.emplace_back(c, r); });
    reg.Cursor().SetCurrent(0, 5);
    changes.clear();

    QueryRegister(reg, shell, kQueryFileName, "MOVIE");
    EXPECT_EQ(reg.Cursor().CurRow(), 7);
    EXPECT_EQ(reg.Cursor().CurCol(), 2);
    EXPECT_EQ(shell.status[1], Found(7));
    EXPECT_EQ(reg.Cursor().Selection(), (GridRect{2, 7, 2, 7}));
    // The column change and the row change each count as a change of the current cell.
    EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{2, 5}, {2, 7}}));

    QueryRegister(reg, shell, kQueryFileName, "MOVIE");
    EXPECT_EQ(reg.Cursor().CurRow(), 3);
    QueryRegister(reg, shell, kQueryFileName, "MOVIE");
    EXPECT_EQ(reg.Cursor().CurRow(), 7);

    QueryRegister(reg, shell, kQueryFilePath, "/2008/");
    EXPECT_EQ(reg.Cursor().CurRow(), 3);
    EXPECT_EQ(reg.Cursor().CurCol(), 1);
}

TEST(QueryRows, FromTheLastRowTheWrapScanCoversEveryRow) {
    VideoRegister reg;
    FillTen(reg);
    FakeShell shell;
    reg.Cursor().SetCurrent(1, 10);
    QueryRegister(reg, shell, kQueryFileName, "FILM10");
    EXPECT_EQ(reg.Cursor().CurRow(), 10);
    EXPECT_EQ(FindNextRow(reg, 2, "FILM1", 10), 1);
    EXPECT_EQ(FindNextRow(reg, 2, "FILM10", 10), 10);
}

TEST(QueryRows, SingleMatchOnTheCurrentRowKeepsTheFoundMessage) {
    VideoRegister reg;
    FillTen(reg);
    FakeShell shell;
    reg.Cursor().SetCurrent(2, 4);
    int changes = 0;
    QObject::connect(&reg.Cursor(), &TRegisterCursor::currentChanged, [&](int, int) { ++changes; });
    QueryRegister(reg, shell, kQueryFileName, "FILM4");
    EXPECT_EQ(reg.Cursor().CurRow(), 4);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(shell.status[1], Found(4));
}

TEST(QueryRows, NotFoundLeavesTheRowAndNamesTheQuery) {
    VideoRegister reg;
    FillTen(reg);
    FakeShell shell;
    reg.Cursor().SetCurrent(3, 6);
    QueryRegister(reg, shell, kQueryFileName, "movie");
    EXPECT_EQ(shell.status[1], QStringLiteral("文件信息中没有检索到内容: movie"));
    EXPECT_EQ(reg.Cursor().CurRow(), 6);
    EXPECT_EQ(reg.Cursor().CurCol(), 2);

    QueryRegister(reg, shell, kQueryFilePath, "");
    EXPECT_EQ(shell.status[1], QStringLiteral("路径信息中没有检索到内容: "));
    EXPECT_EQ(reg.Cursor().CurRow(), 6);
    EXPECT_EQ(reg.Cursor().CurCol(), 1);
}

TEST(QueryRows, ChineseQueriesMatchTheStoredBytes) {
    VideoRegister reg;
    SetRows(reg, {{"", "/A/", "FILM"}, {"", "/A/", Utf8ToGb("生化危机2")}});
    FakeShell shell;
    reg.Cursor().SetCurrent(2, 1);
    QueryRegister(reg, shell, kQueryFileName, QStringLiteral("生化危机"));
    EXPECT_EQ(reg.Cursor().CurRow(), 2);
}
