#include "FileOpsFixture.h"

#include "platform/fs/Paths.h"

#include <fstream>
#include <sstream>

void FileOpsTest::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root = fs::path(TAVLORA_TEST_DIR) / (std::string(info->test_suite_name()) + "." + info->name());
    fs::remove_all(root);
    fs::create_directories(root);
    ClearResolverCache();
    ctx.vdbPath = Utf8ToGb((root / "db.vdb").string());
    BreakFlag = false;
    // The rename tests cancel by leaving the input box unscripted.
    dialogs.input = [](QString&) { return false; };
}

void FileOpsTest::TearDown() {
    // The file commands ask only under their own captions and report no error by dialog.
    for (const QString& call : dialogs.calls) {
        if (call.startsWith(QStringLiteral("SelectFolder: "))) {
            EXPECT_EQ(call, QStringLiteral("SelectFolder: 选择一个目的文件夹"));
        }
        if (call.startsWith(QStringLiteral("Ask: "))) {
            EXPECT_TRUE(call.startsWith(QStringLiteral("Ask: 确认操作 | "))) << call.toStdString();
        }
    }
    EXPECT_EQ(dialogs.errors, QStringList());
    std::error_code ec;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(root, ec);
}

void FileOpsTest::MakeFile(const fs::path& path, uint64_t size, unsigned seed) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    std::string chunk(65536, '\0');
    for (uint64_t done = 0; done < size;) {
        size_t n = size_t(std::min<uint64_t>(chunk.size(), size - done));
        for (size_t i = 0; i < n; ++i)
            chunk[i] = char((done + i) * 31 + seed + (done + i) / 4099);
        out.write(chunk.data(), std::streamsize(n));
        done += n;
    }
}

std::string FileOpsTest::ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string FileOpsTest::RegDir(const fs::path& dir) {
    std::string text = UpperCase(Utf8ToGb(dir.string()));
    if (text.back() != '/') text += '/';
    return text;
}

int FileOpsTest::AddRow(const fs::path& dir, std::string_view name, std::string_view type,
                        std::string_view resolution) {
    int row = reg.Cell(colPath, 1).empty() && reg.Cell(colName, 1).empty() ? 1 : reg.RowCount();
    if (row == reg.RowCount()) reg.SetRowCount(row + 1);
    reg.SetCell(colPath, row, dir.empty() ? std::string() : RegDir(dir));
    reg.SetCell(colName, row, Utf8ToGb(name));
    reg.SetCell(colType, row, Utf8ToGb(type));
    reg.SetCell(colResolution, row, resolution);
    RenumberRows(reg);
    return row;
}

void FileOpsTest::SelectRows(int top, int bottom) {
    reg.Cursor().SetSelection({1, top, 11, bottom});
    reg.Cursor().SetCurrent(11, bottom);
}

std::vector<std::string> FileOpsTest::SavedLines() const {
    fs::path db = root / "db.vdb";
    if (!fs::exists(db)) return {};
    std::vector<std::string> lines;
    std::istringstream in(ReadAll(db));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}
