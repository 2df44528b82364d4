#include "maintenance/CleanUp.h"
#include "TestRegister.h"
#include "fileops/FileHelpers.h"
#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "support/FakeShell.h"
#include "support/TempDir.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// The clean-up loops as written: one DeleteRow per row, the repeat removal comparing each
// row with every row above it. The references for rows, counts, history and current row.
int LiteralPurge(VideoRegister& reg) {
    int count = 0;
    for (int r = reg.LastRow(); r >= 1; --r) {
        std::string f = RowFilePath(reg, r);
        if (f.empty()) {
            DeleteRow(reg, r);
        } else if (!FileExists(RegisterPath(f))) {
            DeleteRow(reg, r);
            count++;
        }
    }
    RenumberRows(reg);
    return count;
}

int LiteralRemoveRepeats(VideoRegister& reg, QStringList& history) {
    int count = 0;
    history.clear();
    if (reg.LastRow() >= 2) {
        for (int i = reg.LastRow(); i >= 2; --i) {
            for (int j = i - 1; j >= 1; --j) {
                if (reg.Cell(2, j) == reg.Cell(2, i)) {
                    history << QStringLiteral("删除记录：") + GbToQString(RowFilePath(reg, i));
                    DeleteRow(reg, i);
                    count++;
                    break;
                }
            }
        }
    }
    RenumberRows(reg);
    return count;
}

void LiteralDeleteSelection(VideoRegister& reg) {
    const GridRect sel = reg.Cursor().Selection(); // taken once: deleting rows shrinks it
    for (int r = sel.bottom; r >= sel.top; --r)
        DeleteRow(reg, r);
    RenumberRows(reg);
}

std::vector<std::vector<std::string>> RandomRows(std::mt19937& rng, int n) {
    std::vector<std::vector<std::string>> rows;
    for (int k = 0; k < n; ++k)
        rows.push_back({"", Pick(rng, {"/A/", "/B", ""}),
                        Pick(rng, {"FILM", "film", "MOVIE", "X", ""}), Pick(rng, {".AVI", ".MKV"}),
                        "", "", "", "", "", "", "", "#" + std::to_string(k)});
    return rows;
}

} // namespace

TEST(CleanUp, RepeatRemovalMatchesTheQuadraticLoop) {
    std::mt19937 rng(11);
    for (int round = 0; round < 400; ++round) {
        const auto rows = RandomRows(rng, round % 30 + 1);
        VideoRegister mine, reference;
        SetRows(mine, rows);
        SetRows(reference, rows);
        const int cur = 1 + int(rng() % unsigned(rows.size()));
        mine.Cursor().SetCurrent(2, cur);
        reference.Cursor().SetCurrent(2, cur);
        FakeShell shell;
        shell.history << "old line";
        QStringList history;
        const int expected = LiteralRemoveRepeats(reference, history);
        EXPECT_EQ(RemoveRepeatedNames(mine, shell), expected);
        ASSERT_EQ(Lines(mine), Lines(reference)) << "round " << round;
        EXPECT_EQ(shell.history, history);
        EXPECT_EQ(mine.Cursor().CurRow(), reference.Cursor().CurRow());
        EXPECT_EQ(shell.status[1], QStringLiteral("共删除记录：%1条").arg(expected));
        EXPECT_TRUE(shell.historyShown);
        EXPECT_FALSE(shell.pb2.visible || shell.pb3.visible);
    }
}

TEST(CleanUp, RepeatsAreListedBottomFirstAndTheTopmostStays) {
    VideoRegister reg;
    std::vector<std::vector<std::string>> rows(10, {"", "/D/", "OTHER", ".AVI"});
    for (int k = 0; k < 10; ++k)
        rows[size_t(k)][2] += std::to_string(k);
    rows[1] = {"", "/A/", "FILM", ".RMVB"};
    rows[4] = {"", "/B/", "FILM", ".AVI"};
    rows[8] = {"", "/C", "FILM", ".MKV"};
    SetRows(reg, rows);
    FakeShell shell;
    EXPECT_EQ(RemoveRepeatedNames(reg, shell), 2);
    EXPECT_EQ(shell.history, (QStringList{QStringLiteral("删除记录：/C/FILM.MKV"),
                                          QStringLiteral("删除记录：/B/FILM.AVI")}));
    EXPECT_EQ(reg.LastRow(), 8);
    EXPECT_EQ(reg.Cell(1, 2), "/A/");
    EXPECT_EQ(reg.Cell(0, 8), "    8");
    EXPECT_EQ(shell.status[1], QStringLiteral("共删除记录：2条"));
}

TEST(CleanUp, RepeatRemovalWithOneRowOnlyClearsTheHistoryAndReports) {
    VideoRegister reg;
    SetRows(reg, {{"", "/A/", "FILM", ".AVI"}});
    FakeShell shell;
    shell.history << "old line";
    EXPECT_EQ(RemoveRepeatedNames(reg, shell), 0);
    EXPECT_TRUE(shell.history.isEmpty());
    EXPECT_EQ(shell.historyCleared, 1);
    EXPECT_TRUE(shell.historyShown);
    EXPECT_EQ(reg.LastRow(), 1);
    EXPECT_EQ(shell.status[1], QStringLiteral("共删除记录：0条"));
}

TEST(CleanUp, PurgeMatchesTheRowByRowLoop) {
    TempDir dir;
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.Path() + "Films/Sub")));
    for (const char* name : {"Films/Alien.avi", "Films/Sub/Heat.mkv", "Films/X.AVI"})
        dir.Write(name, "");
    // The register holds the folder in upper case; the files are found all the same.
    const std::string base = UpperCase(dir.Gb("")).substr(0, dir.Path().size() - 1);
    std::mt19937 rng(5);
    for (int round = 0; round < 100; ++round) {
        std::vector<std::vector<std::string>> rows;
        const int n = round % 12 + 1;
        for (int k = 0; k < n; ++k) {
            const std::string folder =
                Pick(rng, {"/FILMS/", "/FILMS/SUB/", "/FILMS", "/GONE/", ""});
            rows.push_back({"", folder.empty() ? "" : base + folder,
                            Pick(rng, {"ALIEN", "HEAT", "X", "SUB"}),
                            Pick(rng, {".AVI", ".MKV", ""})});
        }
        VideoRegister mine, reference;
        SetRows(mine, rows);
        SetRows(reference, rows);
        mine.Cursor().SetCurrent(1, n);
        reference.Cursor().SetCurrent(1, n);
        FakeShell shell;
        const int expected = LiteralPurge(reference);
        EXPECT_EQ(PurgeMissingFiles(mine, shell), expected);
        ASSERT_EQ(Lines(mine), Lines(reference)) << "round " << round;
        EXPECT_EQ(mine.Cursor().CurRow(), reference.Cursor().CurRow());
        EXPECT_EQ(shell.status[1], QStringLiteral("共删除不存在记录 %1 条").arg(expected));
        EXPECT_TRUE(shell.pb2.everShown);
        EXPECT_FALSE(shell.pb2.visible);
    }
}

TEST(CleanUp, PurgeDoesNotCountEmptyPathsAndKeepsTheBlankRow) {
    TempDir dir;
    const std::string base = UpperCase(dir.Gb(""));
    QDir().mkpath(QString::fromStdString(dir.Path() + "Folder.avi"));
    VideoRegister reg;
    SetRows(reg, {{"", "", "A", ".AVI"},
                  {"", "/NO/SUCH/", "B", ".AVI"},
                  {"", base, "FOLDER", ".AVI"}, // a folder is not a file
                  {"", "", "", ""}});
    FakeShell shell;
    EXPECT_EQ(PurgeMissingFiles(reg, shell), 2);
    EXPECT_EQ(shell.status[1], QStringLiteral("共删除不存在记录 2 条"));
    EXPECT_EQ(reg.LastRow(), 1);
    EXPECT_TRUE(reg.Row(1).Blank() || reg.Cell(1, 1).empty());
    EXPECT_EQ(reg.Cell(0, 1), "    1");

    FakeShell again;
    EXPECT_EQ(PurgeMissingFiles(reg, again), 0);
    EXPECT_EQ(again.status[1], QStringLiteral("共删除不存在记录 0 条"));
    EXPECT_EQ(reg.LastRow(), 1);
}

TEST(CleanUp, PurgeShowsTheRowBeingCheckedOnTheBar) {
    VideoRegister reg;
    SetRows(reg, {{"", "/NO/", "A", ".AVI"}});
    FakeShell shell;
    PurgeMissingFiles(reg, shell);
    EXPECT_EQ(shell.pb2.max, 1);
    EXPECT_EQ(shell.pb2.position, 1);
    EXPECT_EQ(shell.pb2.suffix, QStringLiteral("%  检查 /NO/A.AVI"));
}

TEST(CleanUp, DeletingASelectionMatchesRowByRowDeletion) {
    std::mt19937 rng(3);
    for (int round = 0; round < 200; ++round) {
        const int n = round % 10 + 1;
        const auto rows = RandomRows(rng, n);
        const int top = 1 + int(rng() % unsigned(n));
        const int bottom = top + int(rng() % unsigned(n - top + 1));
        VideoRegister mine, reference;
        for (VideoRegister* reg : {&mine, &reference}) {
            SetRows(*reg, rows);
            reg->Cursor().SetSelection({1, top, 11, bottom});
            reg->Cursor().SetCurrent(1, bottom);
        }
        DeleteSelectedRows(mine);
        LiteralDeleteSelection(reference);
        ASSERT_EQ(Lines(mine), Lines(reference)) << "round " << round;
        EXPECT_EQ(mine.Cursor().CurRow(), reference.Cursor().CurRow());
    }
}

TEST(CleanUp, DeletingRowsThreeToFiveOfTenLeavesSevenNumberedRows) {
    VideoRegister reg;
    SetRows(reg, std::vector<std::vector<std::string>>(10, {"", "/A/", "N"}));
    reg.Cursor().SetSelection({0, 3, 11, 5});
    DeleteSelectedRows(reg);
    EXPECT_EQ(Column(reg, 0), (std::vector<std::string>{"    1", "    2", "    3", "    4", "    5",
                                                        "    6", "    7"}));
}
