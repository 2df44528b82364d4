#include "search/SearchFiles.h"

#include "platform/GbText.h"
#include "register/GridStore.h"
#include "register/Shell.h"
#include "search/FolderWalk.h"
#include "search/Wildcard.h"

namespace {

bool Storable(std::string_view path) {
    return path.find("^^") == std::string_view::npos &&
           path.find_first_of("\r\n") == std::string_view::npos;
}

const std::string& RightChannelText() {
    static const std::string text = Utf8ToGb("右声道");
    return text;
}

// The record of one found file: folder part with its separator, name without extension,
// extension with its dot, the channel "右声道" and track "1"; the number is the row's.
PackedRow RecordOf(std::string_view upperPath, int row) {
    size_t slash = upperPath.rfind('/');
    std::string_view folder = upperPath.substr(0, slash + 1);
    std::string_view file = upperPath.substr(slash + 1);
    size_t dot = file.rfind('.');
    std::string number = PadLeft(std::to_string(row), ' ', 5);
    std::array<std::string_view, PackedRow::kCells> cells{};
    cells[colNumber] = number;
    cells[colPath] = folder;
    cells[colName] = file.substr(0, dot);
    cells[colType] = dot == std::string_view::npos ? std::string_view() : file.substr(dot);
    cells[colChannel] = RightChannelText();
    cells[colTrack] = "1";
    return PackedRow(cells);
}

} // namespace

void ListMatchingFiles(TFileList& list, TFileList& unstorable, const TSearchFolder& folder,
                       std::string_view pattern) {
    std::string base = folder.path;
    if (base.empty() || base.back() != '/') base += '/';
    const size_t baseLength = base.size();
    for (const std::string& name : folder.fileNames) {
        if (!MatchFilePattern(pattern, name)) continue;
        base.resize(baseLength);
        base += name;
        if (Storable(base))
            list.Add(base);
        else
            unstorable.Add(base);
    }
}

void FillRegister(VideoRegister& reg, const TFileList& files) {
    VideoRegister::BulkChange bulk(reg);
    size_t next = 0;
    if (files.Count() > 0 && reg.Cell(colPath, reg.LastRow()).empty()) {
        // Only the cells of a record are written: other cells of that row stay.
        PackedRow record = RecordOf(UpperCase(files[0]), reg.LastRow());
        for (int col : {colPath, colName, colType, colChannel, colTrack})
            reg.SetCell(col, reg.LastRow(), record.Cell(col));
        next = 1;
    }
    std::vector<PackedRow> rows;
    rows.reserve(files.Count() - next);
    for (int row = reg.RowCount(); next < files.Count(); ++next, ++row)
        rows.push_back(RecordOf(UpperCase(files[next]), row));
    reg.AppendRows(std::move(rows));
    RenumberRows(reg);
}

void SearchFiles(bool append, const std::vector<std::string>& dirs,
                 const std::vector<std::string>& exts, TSearchWork& work, VideoRegister& reg,
                 IShell& shell) {
    TFolderWalk walk(work.lstDirectory, shell);
    for (const std::string& dir : dirs)
        walk.WalkLocation(dir);
    if (BreakFlag) return;

    std::vector<std::string> patterns;
    for (const std::string& ext : exts)
        patterns.push_back("*." + ext);
    TFileList unstorable;
    for (const TSearchFolder& folder : work.lstDirectory) {
        if (patterns.empty()) break;
        // Nothing repaints during the listing, so one status text per folder shows the same.
        shell.SetStatusText(1, QString::fromUtf8("搜索文件夹 ") + GbToQString(folder.path));
        for (const std::string& pattern : patterns)
            ListMatchingFiles(work.lstFiles, unstorable, folder, pattern);
    }
    for (size_t i = 0; i < unstorable.Count(); ++i)
        shell.AddHistory(QString::fromUtf8("无法登记的文件名: ") + GbToQString(unstorable[i]));
    if (BreakFlag) return;

    if (!append) ClearRegister(reg);
    FillRegister(reg, work.lstFiles);
}
