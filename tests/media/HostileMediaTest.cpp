// The analysis over files that are not what their names say, found by a real search: cut
// short, empty, random bytes under video extensions, sparse files of 4 GiB + 1 and 10 GB,
// and one file removed between the search and the analysis. Each row ends within the
// engine's bounded wait with its exact size and empty values, and the rows after it go on.
#include "MediaFakes.h"
#include "MediaFixtures.h"
#include "support/FakeShell.h"

#include "fileops/FileHelpers.h"
#include "media/MediaAnalysis.h"
#include "platform/text/GbText.h"
#include "register/GridStore.h"
#include "search/SearchFiles.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

TEST(HostileMedia, AnalysisOfBrokenFilesFoundByASearch) {
    const TestMedia& m = Media();
    const fs::path dir = fs::path(m.dir) / "hostile";
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(m.truncated, dir / "cut.mkv");
    fs::copy_file(m.random, dir / "noise.mp4");
    fs::copy_file(m.random, dir / "noise.avi");
    fs::copy_file(m.random, dir / "noise.mkv");
    fs::copy_file(m.avi, dir / "good.avi");
    fs::copy_file(m.avi, dir / "gone.avi");
    // Files of that length holding no data blocks: zeros to whoever reads them.
    auto sized = [&](const char* name, uint64_t size) {
        std::ofstream(dir / name).close();
        fs::resize_file(dir / name, size);
    };
    sized("empty.mp4", 0);
    sized("sparse4g.avi", (uint64_t(1) << 32) + 1);
    sized("sparse10g.mkv", 10737418240ull);

    VideoRegister reg;
    FakeShell shell;
    TSearchWork work;
    SearchFiles(false, {UpperCase(Utf8ToGb(dir.string()))}, {"MP4", "AVI", "MKV"}, work, reg,
                shell);
    ASSERT_EQ(reg.LastRow(), 9);
    std::map<std::string, int> rowOf; // "NAME.TYPE" -> row
    for (int r = 1; r <= reg.LastRow(); ++r)
        rowOf[std::string(reg.Cell(colName, r)) + std::string(reg.Cell(colType, r))] = r;
    fs::remove(dir / "gone.avi");

    reg.Cursor().SetSelection({1, 1, 11, reg.LastRow()});
    TFilterGraph FG;
    FG.SetRenderTimeoutMs(3000);
    // Time of each row: from one wait after a row to the next.
    std::vector<qint64> rowMs;
    QElapsedTimer timer;
    timer.start();
    shell.onDelay = [&] { rowMs.push_back(timer.restart()); };
    AnalyseSelectedRows(reg, FG, shell);

    auto cells = [&](const char* name) {
        const int r = rowOf.at(name);
        return std::string(reg.Cell(colSize, r)) + "|" + std::string(reg.Cell(colDuration, r)) +
               "|" + std::string(reg.Cell(colResolution, r));
    };
    EXPECT_EQ(cells("CUT.MKV"), "0000,003,000|00:00:00|0000x000");
    EXPECT_EQ(cells("EMPTY.MP4"), "0000,000,000|00:00:00|0000x000");
    for (const char* noise : {"NOISE.MP4", "NOISE.AVI", "NOISE.MKV"})
        EXPECT_EQ(cells(noise), "0000,200,000|00:00:00|0000x000") << noise;
    EXPECT_EQ(cells("SPARSE4G.AVI"), "4294,967,297|00:00:00|0000x000");
    EXPECT_EQ(cells("SPARSE10G.MKV"), "10737,418,240|00:00:00|0000x000");
    EXPECT_EQ(cells("GOOD.AVI"), FormatSizeCell(fs::file_size(m.avi)) + "|00:00:02|0176x144");
    EXPECT_EQ(cells("GONE.AVI"), "||");
    EXPECT_EQ(shell.history, QStringList({QStringLiteral("文件不存在 ") +
                                          GbToQString(RowFilePath(reg, rowOf.at("GONE.AVI")))}));
    EXPECT_EQ(shell.pb2.positions.size(), 9u) << "every row visited";
    ASSERT_EQ(rowMs.size(), 10u);
    for (size_t i = 1; i < rowMs.size(); ++i)
        EXPECT_LT(rowMs[i], 3000 + 2000) << "row " << i << " waited past the bound";
    EXPECT_FALSE(shell.locked);
    EXPECT_FALSE(FG.HasFile());
    fs::remove_all(dir);
}
