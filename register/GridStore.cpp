#include "register/GridStore.h"

#include "platform/fs/FileErrors.h"
#include "platform/fs/Paths.h"
#include "platform/fs/SafeFile.h"
#include "platform/text/GbText.h"
#include "platform/ui/ShellDiskCalls.h"
#include "register/FileRows.h"
#include "register/LineRows.h"
#include "register/RowNumbers.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <utility>

namespace {

void AppendPadded(std::string& out, std::string_view text, char pad, int width) {
    if (width < 0) return;
    if (text.size() < size_t(width)) out.append(size_t(width) - text.size(), pad);
    out += text;
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
    static const PackedRow blank;
    const PackedRow& cells = row >= 0 && row < reg.RowCount() ? reg.Row(row) : blank;
    std::string line(cells.LineBytes() + PackedRow::kCopyStep, '\0');
    line.resize(size_t(cells.PutLine(line.data()) - line.data()));
    return line;
}

TRegisterFile ReadRegisterFile(std::string_view path) {
    TRegisterFile file;
    // The header's place in front: the rows' vector becomes the register's store as it is.
    file.rows.resize(1);
    // A pipe, device or socket under the name is not read: the reader reports it.
    const RealPath real = RealPath::OfGb(path);
    if (!NothingThere(real)) {
        if (KindOf(real) == EntryKind::Folder) ThrowOpenError(path, EISDIR);
        file.numbered = ReadFileRows(real, file.rows);
    }
    return file;
}

void PutRegisterFile(VideoRegister& reg, TRegisterFile file) {
    VideoRegister::BulkChange bulk(reg);
    reg.SetUnreadDatabase({});
    reg.ReplaceRows(std::move(file.rows));
    SetHeaderRow(reg, ColumnTitles());
    if (!file.numbered) RenumberRows(reg);
}

void PutUnreadRegister(VideoRegister& reg, const std::string& reason) {
    VideoRegister::BulkChange bulk(reg);
    reg.SetRowCount(1); // every data row goes, then one blank row
    reg.SetRowCount(2);
    SetHeaderRow(reg, ColumnTitles());
    RenumberRows(reg);
    reg.SetUnreadDatabase(reason);
}

void LoadRegister(VideoRegister& reg, std::string_view path) {
    LoadRegister(reg, [path] { return ReadRegisterFile(path); });
}

void LoadRegister(VideoRegister& reg, const std::function<TRegisterFile()>& read) {
    VideoRegister::BulkChange bulk(reg);
    reg.SetRowCount(1); // the old table's memory goes before the new one is read
    TRegisterFile file;
    try {
        file = read();
    } catch (const std::exception& e) {
        PutUnreadRegister(reg, e.what());
        throw;
    }
    PutRegisterFile(reg, std::move(file));
}

void SaveRegister(VideoRegister& reg, std::string_view path, const DiskWork& onDisk) {
    // The lines go out in blocks of about this size, past the writer's own buffer so that
    // it passes them straight on; a longer line gets a block of its size.
    constexpr size_t kChunk = size_t(4) << 20;
    constexpr std::string_view kEnd = "\r\n";
    const auto disk = [&](const std::function<void()>& work) { onDisk ? onDisk(work) : work(); };
    std::optional<SafeFileWriter> writer;
    try {
        disk([&] { writer.emplace(RealPath::OfGb(path)); });
        // The block grows to its size as the lines fill it: a small register does not pay
        // for clearing memory it never uses.
        std::string chunk(size_t(64) << 10, '\0');
        size_t used = 0;
        const auto write = [&] {
            disk([&] { writer->Write(std::string_view(chunk.data(), used)); });
            used = 0;
        };
        for (int r = 1; r <= reg.LastRow(); ++r) {
            const PackedRow& row = reg.Row(r);
            const size_t bytes = row.LineBytes() + kEnd.size();
            const size_t wanted = used + bytes + PackedRow::kCopyStep;
            if (wanted > chunk.size() && chunk.size() < kChunk) {
                chunk.resize(std::max(wanted, std::min(chunk.size() * 2, kChunk)));
            } else if (wanted > chunk.size()) {
                write();
                if (bytes + PackedRow::kCopyStep > chunk.size())
                    chunk.resize(bytes + PackedRow::kCopyStep);
            }
            char* end = row.PutLine(chunk.data() + used);
            std::memcpy(end, kEnd.data(), kEnd.size());
            used += bytes;
        }
        write();
        disk([&] {
            writer->Commit();
            writer.reset();
        });
    } catch (...) {
        // The temporary file goes where the rest of the work went.
        if (writer) disk([&] { writer.reset(); });
        throw;
    }
    reg.SetUnreadDatabase({});
}

bool SaveRegisterByCommand(VideoRegister& reg, std::string_view path, IShell& shell) {
    if (reg.UnreadDatabase().empty()) {
        SaveRegister(reg, path, ShellDiskWork(shell, path));
        return true;
    }
    if (reg.TellUnreadOnce())
        shell.AddHistory(QStringLiteral("登记库文件未能读入，命令不自动保存登记库：") +
                         GbToQString(path) + QStringLiteral("（") +
                         QString::fromUtf8(reg.UnreadDatabase().c_str()) + QStringLiteral("）"));
    return false;
}

void SetHeaderRow(VideoRegister& reg, const std::vector<std::string>& titles) {
    for (size_t i = 0; i < titles.size() && int(i) < reg.ColCount(); ++i)
        reg.SetCell(int(i), 0, titles[i]);
}

std::string PadLeft(std::string_view text, char pad, int width) {
    std::string out;
    AppendPadded(out, text, pad, width);
    return out;
}

void RenumberRows(VideoRegister& reg, int col, int first, char pad, int width) {
    // One buffer for every row: a load renumbers a million rows, mostly to what they hold.
    std::string text;
    char digits[16];
    for (int r = 1; r <= reg.LastRow(); ++r) {
        const char* end = std::to_chars(digits, digits + sizeof digits, first + r - 1).ptr;
        const std::string_view number(digits, size_t(end - digits));
        text.clear();
        AppendPadded(text, number, pad, width);
        reg.SetCell(col, r, text);
    }
}

void RenumberRows(VideoRegister& reg) {
    RenumberRows(reg, colNumber, 1, kRowNumberPad, kRowNumberWidth);
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
        reg.Cursor().SetCurrent(reg.Cursor().CurCol(), reg.LastRow() - 1);
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
    int cur = reg.Cursor().CurRow();
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
    reg.Cursor().SetCurrent(reg.Cursor().CurCol(), cur);
}

void InsertRow(VideoRegister& reg, int row) {
    if (row < 1 || row > reg.LastRow()) return;
    reg.InsertBlankRows(row, 1);
    reg.Cursor().SetCurrent(reg.Cursor().CurCol(), row);
}

void CopyRow(VideoRegister& reg, int from, int to) {
    reg.SetRow(to, PackedRow(reg.Row(from).Cells()));
}
