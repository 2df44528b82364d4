// The analysis command over a register of generated files.
#include "MediaFakes.h"
#include "MediaFixtures.h"
#include "support/FakeShell.h"

#include "fileops/FileHelpers.h"
#include "media/MediaAnalysis.h"
#include "media/ProbesAhead.h"
#include "platform/fs/FileErrors.h"
#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "platform/ui/ShellDiskCalls.h"
#include "register/GridStore.h"

#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

// Puts a file into a register row as a search would: upper-case folder, name and type.
void PutFile(VideoRegister& reg, int row, const std::string& utf8Path) {
    const std::filesystem::path p(utf8Path);
    const std::string dir = p.parent_path().string() + "/";
    reg.SetCell(colPath, row, UpperCase(Utf8ToGb(dir)));
    reg.SetCell(colName, row, UpperCase(Utf8ToGb(p.stem().string())));
    reg.SetCell(colType, row, UpperCase(Utf8ToGb(p.extension().string())));
}

std::string Cells(const VideoRegister& reg, int row) {
    return std::string(reg.Cell(colSize, row)) + "|" + std::string(reg.Cell(colDuration, row)) +
           "|" + std::string(reg.Cell(colResolution, row));
}

std::string SizeText(const std::string& path) {
    return FormatSizeCell(std::filesystem::file_size(path));
}

} // namespace

TEST(MediaAnalysis, CellFormats) {
    EXPECT_EQ(FormatHMS(5423), "01:30:23");
    EXPECT_EQ(FormatHMS(999 / 1000), "00:00:00");
    EXPECT_EQ(FormatHMS(360000), "100:00:00");
    EXPECT_EQ(FormatSizeCell(734003200), "0734,003,200");
    EXPECT_EQ(FormatSizeCell(12345), "0000,012,345");
    EXPECT_EQ(FormatSizeCell(12345678901ull), "12345,678,901");
    EXPECT_EQ(FormatSizeCell(1000000), "0001,000,000");
    EXPECT_EQ(FormatResolution(720, 576), "0720x576");
    EXPECT_EQ(FormatResolution(1920, 1080), "1920x1080");
    EXPECT_EQ(FormatResolution(0, 0), "0000x000");
}

TEST(MediaAnalysis, SelectionWithGoodMissingAudioOnlyAndBrokenFiles) {
    const TestMedia& m = Media();
    VideoRegister reg;
    reg.SetRowCount(8);
    PutFile(reg, 1, m.twoTracks);
    PutFile(reg, 2, m.dir + "/gone.mkv");
    PutFile(reg, 3, m.audioOnly);
    PutFile(reg, 4, m.truncated);
    PutFile(reg, 5, m.oddName);
    // row 6: empty path, passed over
    PutFile(reg, 7, m.avi);
    reg.SetCell(colSize, 2, "keep");
    reg.Cursor().SetSelection({1, 1, 11, 7});
    TFilterGraph FG;
    // The truncated file may stall until the bound: a shorter one, after a first render
    // that loads the plugins.
    FG.SetActive(true);
    FG.OpenMediaFile(RealPath(m.avi));
    FG.SetRenderTimeoutMs(4000);
    FakeShell shell;
    std::vector<bool> lockedDuringWaits;
    // With the rows after the first probed ahead, the cells and the history still come row by
    // row, each at its row's turn.
    std::vector<int> filledAtWaits, historyAtWaits;
    shell.onDelay = [&] {
        lockedDuringWaits.push_back(shell.locked && shell.breakButton);
        int filled = 0;
        for (int r = 1; r <= 7; ++r)
            filled += !reg.Cell(colDuration, r).empty();
        filledAtWaits.push_back(filled);
        historyAtWaits.push_back(int(shell.history.size()));
    };

    AnalyseSelectedRows(reg, FG, shell);

    EXPECT_EQ(Cells(reg, 1), SizeText(m.twoTracks) + "|00:00:03|0320x240");
    EXPECT_EQ(Cells(reg, 2), "keep||");
    EXPECT_EQ(Cells(reg, 3), SizeText(m.audioOnly) + "|00:00:02|0000x000");
    EXPECT_EQ(Cells(reg, 4), "0000,003,000|00:00:00|0000x000") << "real size, nothing rendered";
    EXPECT_EQ(Cells(reg, 5), SizeText(m.oddName) + "|00:00:03|0320x240");
    EXPECT_EQ(Cells(reg, 6), "||");
    EXPECT_EQ(Cells(reg, 7), SizeText(m.avi) + "|00:00:02|0176x144");
    ASSERT_EQ(shell.history.size(), 1);
    EXPECT_EQ(shell.history[0], QStringLiteral("文件不存在 ") + GbToQString(RowFilePath(reg, 2)));
    EXPECT_EQ(shell.pb2.max, 7);
    EXPECT_EQ(shell.pb2.positions, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(shell.pb2.suffixes.first(),
              QStringLiteral("%  获取信息 ") + GbToQString(RowFilePath(reg, 1)));
    EXPECT_EQ(shell.delays, (std::vector<int>{200, 100, 100, 100, 100, 100, 100, 100}));
    EXPECT_EQ(lockedDuringWaits, std::vector<bool>(8, true));
    EXPECT_EQ(filledAtWaits, (std::vector<int>{0, 1, 1, 2, 3, 4, 4, 5}));
    EXPECT_EQ(historyAtWaits, (std::vector<int>{0, 0, 1, 1, 1, 1, 1, 1}));
    EXPECT_FALSE(shell.locked);
    EXPECT_FALSE(shell.breakButton);
    EXPECT_FALSE(shell.pb2.visible);
    EXPECT_TRUE(FG.Active()) << "the graph stays, empty";
    EXPECT_FALSE(FG.HasFile());
}

TEST(MediaAnalysis, BreakDuringTheWaitAfterARow) {
    VideoRegister reg;
    reg.SetRowCount(8);
    for (int r = 1; r <= 7; ++r)
        PutFile(reg, r, Media().avi);
    reg.Cursor().SetSelection({1, 3, 11, 7});
    TFilterGraph FG;
    FakeShell shell;
    int waits = 0;
    shell.onDelay = [&] {
        if (++waits == 3) BreakFlag = true; // the wait after row 4
    };
    AnalyseSelectedRows(reg, FG, shell);
    EXPECT_EQ(shell.pb2.max, 5);
    EXPECT_EQ(shell.pb2.positions, (std::vector<int>{1, 2, 3}));
    for (int r : {3, 4})
        EXPECT_EQ(reg.Cell(colResolution, r), "0176x144");
    for (int r : {1, 2, 5, 6, 7})
        EXPECT_EQ(reg.Cell(colResolution, r), "");
    EXPECT_FALSE(shell.locked);
    EXPECT_FALSE(shell.breakButton);
    EXPECT_FALSE(shell.pb2.visible);
    BreakFlag = false;
}

TEST(MediaAnalysis, PlaybackStopsAndAnUnreadableFileEndsTheCommand) {
    VideoRegister reg;
    reg.SetRowCount(3);
    PutFile(reg, 1, Media().avi);
    reg.Cursor().SetSelection({1, 1, 11, 2});
    TFilterGraph FG;
    FG.SetActive(true);
    ASSERT_EQ(FG.OpenMediaFile(RealPath(Media().twoTracks)), kRenderOk);
    FG.StartPlayback();
    FakeShell shell;
    const std::string unreadable = Media().dir + "/unreadable.avi";
    std::filesystem::copy_file(Media().avi, unreadable,
                               std::filesystem::copy_options::overwrite_existing);
    chmod(unreadable.c_str(), 0);
    PutFile(reg, 2, unreadable);
    if (geteuid() == 0) {
        // The superuser reads any file: only the stop of the playback can be seen.
        AnalyseSelectedRows(reg, FG, shell);
    } else {
        EXPECT_THROW(AnalyseSelectedRows(reg, FG, shell), EFileError);
        EXPECT_EQ(reg.Cell(colSize, 2), "");
    }
    EXPECT_EQ(reg.Cell(colResolution, 1), "0176x144") << "rows done before keep their cells";
    EXPECT_FALSE(FG.HasFile());
    EXPECT_EQ(FG.PlaybackState(), TPlaybackState::Stopped);
    EXPECT_FALSE(shell.locked);
    EXPECT_FALSE(shell.pb2.visible);
    chmod(unreadable.c_str(), 0644);
}

TEST(MediaAnalysis, ProbeAheadOfAFileChangedBeforeItsTurnIsNotTaken) {
    const std::string changing = Media().dir + "/ahead.avi";
    std::filesystem::copy_file(Media().avi, changing,
                               std::filesystem::copy_options::overwrite_existing);
    VideoRegister reg;
    reg.SetRowCount(3);
    PutFile(reg, 1, changing);
    PutFile(reg, 2, Media().twoTracks);
    FakeShell shell;
    TDiskCalls calls = ShellDiskCalls(shell);
    TProbesAhead ahead(reg, 2, calls, 10000);
    ahead.Fill(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ahead.Finished(1); }, 60000));
    std::filesystem::copy_file(Media().twoTracks, changing,
                               std::filesystem::copy_options::overwrite_existing);
    ProbeResult read;
    EXPECT_EQ(ahead.Take(1, CheckFile(RowFilePath(reg, 1)), read), TProbesAhead::TTaken::NotAhead);
    ahead.Fill(2);
    EXPECT_EQ(ahead.Take(2, CheckFile(RowFilePath(reg, 2)), read), TProbesAhead::TTaken::Read);
    EXPECT_EQ(FormatSizeCell(read.size), SizeText(Media().twoTracks));
    EXPECT_EQ(FormatHMS(read.durationMs / 1000), "00:00:03");
    EXPECT_EQ(FormatResolution(read.width, read.height), "0320x240");
}
