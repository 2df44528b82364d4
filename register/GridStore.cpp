#include "register/GridStore.h"

#include "platform/FileErrors.h"
#include "platform/GbText.h"
#include "platform/LineReader.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr std::string_view kSep = "^^";

using LineCells = std::array<std::string_view, PackedRow::kCells>;

// Splits the line at its leftmost separators, up to twelve, and gives the number found;
// without twelve, the last cell holds the rest of the line. Read by characters, a
// separator starts on a character boundary; read by bytes, at any byte.
int SplitLine(std::string_view line, bool byChars, LineCells& cells) {
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* cell = begin;
    const char* from = begin;     // where the next caret is looked for
    const char* boundary = begin; // a character boundary at or before `from`
    int found = 0;
    while (found < PackedRow::kCells) {
        const char* sep = static_cast<const char*>(std::memchr(from, '^', size_t(end - from)));
        if (!sep || sep + 1 == end) break;
        from = sep + 1;
        if (sep[1] != '^') continue;
        if (byChars) {
            while (boundary < sep)
                boundary += GbCharLength(line, size_t(boundary - begin));
            if (boundary != sep) { // the caret is the second byte of a character
                from = boundary;
                continue;
            }
        }
        cells[size_t(found++)] = std::string_view(cell, size_t(sep - cell));
        cell = from = boundary = sep + kSep.size();
    }
    if (found < PackedRow::kCells)
        cells[size_t(found)] = std::string_view(cell, size_t(end - cell));
    return found;
}

LineCells CellsOfLine(std::string_view line) {
    LineCells cells{};
    // A line saved before separators were read by characters may hold a cell that ends in
    // a lone lead byte (a raw-byte name): read by characters it loses a separator, read by
    // bytes it has all twelve.
    if (SplitLine(line, true, cells) < PackedRow::kCells) {
        LineCells bytes{};
        if (SplitLine(line, false, bytes) == PackedRow::kCells) cells = bytes;
    }
    return cells;
}

} // namespace

const std::vector<std::string>& ColumnTitles() {
    static const std::vector<std::string> titles = [] {
        std::vector<std::string> t;
        for (const char* s : {" 序号", "路径", "主文件名", "类型", "文件大小[字节]", "时长",
                              "分辨率", "原声道", "音轨", "年代", "分类", "影星"})
            t.push_back(Utf8ToGb(s));
        return t;
    }();
    return titles;
}

PackedRow LineToCells(std::string_view line) {
    return PackedRow(CellsOfLine(line));
}

void LineToRow(VideoRegister& reg, std::string_view line, int row) {
    reg.SetRow(row, LineToCells(line));
}

std::string RowToLine(const VideoRegister& reg, int row) {
    std::string line;
    for (int c = 0; c < VideoRegister::kColumns; ++c) {
        line += reg.Cell(c, row);
        line += kSep;
    }
    return line;
}

void LoadRegister(VideoRegister& reg, std::string_view path) {
    VideoRegister::BulkChange bulk(reg);
    reg.SetRowCount(1);
    std::vector<PackedRow> rows;
    try {
        // A pipe, device or socket under the name is not read: the reader reports it.
        if (EntryKind kind = KindOf(path); kind == EntryKind::File || kind == EntryKind::Other) {
            LineReader reader(path, LineReader::Ends::Lf);
            // Room for a line of every 48 bytes and the header that AppendRows puts in
            // front: growing the vector would copy it several times. Untouched room costs
            // address space only.
            struct stat st;
            if (stat(ResolvePath(path).c_str(), &st) == 0)
                rows.reserve(size_t(st.st_size) / 48 + 2);
            RowArena arena;
            std::string_view line;
            while (reader.Next(line))
                rows.emplace_back(CellsOfLine(line), arena);
        }
    } catch (...) {
        reg.SetRowCount(2);
        SetHeaderRow(reg, ColumnTitles());
        RenumberRows(reg);
        throw;
    }
    if (rows.empty()) rows.emplace_back();
    reg.AppendRows(std::move(rows));
    SetHeaderRow(reg, ColumnTitles());
    RenumberRows(reg);
}

void SaveRegister(const VideoRegister& reg, std::string_view path) {
    SafeFileWriter writer(path);
    std::string line;
    for (int r = 1; r <= reg.LastRow(); ++r) {
        line.clear();
        for (int c = 0; c < VideoRegister::kColumns; ++c) {
            line += reg.Cell(c, r);
            line += kSep;
        }
        line += "\r\n";
        writer.Write(line);
    }
    writer.Commit();
}

void SetHeaderRow(VideoRegister& reg, const std::vector<std::string>& titles) {
    for (size_t i = 0; i < titles.size() && int(i) < reg.ColCount(); ++i)
        reg.SetCell(int(i), 0, titles[i]);
}

std::string PadLeft(std::string_view text, char pad, int width) {
    if (width < 0) return {};
    if (text.size() >= size_t(width)) return std::string(text);
    return std::string(size_t(width) - text.size(), pad) + std::string(text);
}

void RenumberRows(VideoRegister& reg, int col, int first, char pad, int width) {
    for (int r = 1; r <= reg.LastRow(); ++r)
        reg.SetCell(col, r, PadLeft(std::to_string(first + r - 1), pad, width));
}

void RenumberRows(VideoRegister& reg) {
    RenumberRows(reg, colNumber, 1, ' ', 5);
}

void ClearRegister(VideoRegister& reg) {
    VideoRegister::BulkChange bulk(reg);
    reg.SetRowCount(1);
    reg.SetRowCount(2);
}

void DeleteRow(VideoRegister& reg, int row) {
    if (row < 1 || row > reg.LastRow()) return;
    if (reg.LastRow() == 1) {
        reg.SetRow(1, PackedRow());
        return;
    }
    if (row == reg.LastRow()) {
        reg.SetCurrent(reg.CurCol(), reg.LastRow() - 1);
        reg.SetRowCount(reg.RowCount() - 1);
        return;
    }
    reg.RemoveRows({row}); // a current row past the new last row becomes the last row
}

void DeleteRows(VideoRegister& reg, std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::erase_if(rows, [&](int r) { return r < 1 || r > reg.LastRow(); });
    if (rows.empty()) return;
    // One reset, and the selection settles around the current row set below.
    VideoRegister::BulkChange bulk(reg);
    // Repeated DeleteRow from the bottom up: every deletion of the then-last row moves the
    // current row up by one; the only row left is emptied instead of removed.
    int last = reg.LastRow();
    int cur = reg.CurRow();
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (last == 1) break;
        if (*it == last) cur = last - 1;
        --last;
        if (cur > last) cur = last;
    }
    bool emptyOne = int(rows.size()) >= reg.LastRow();
    if (emptyOne) rows.erase(rows.begin());
    reg.RemoveRows(std::move(rows));
    if (emptyOne) reg.SetRow(1, PackedRow());
    reg.SetCurrent(reg.CurCol(), cur);
}

void InsertRow(VideoRegister& reg, int row) {
    if (row < 1 || row > reg.LastRow()) return;
    reg.InsertBlankRows(row, 1);
    reg.SetCurrent(reg.CurCol(), row);
}

void CopyRow(VideoRegister& reg, int from, int to) {
    reg.SetRow(to, PackedRow(reg.Row(from).Cells()));
}
