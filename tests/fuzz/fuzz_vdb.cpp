// The database line and file format: any bytes load without harm, every row is the plain
// split of its line at "^^" read by characters, and a save followed by a load gives the same
// rows wherever the format can hold them (the cell rule's).
#include "FuzzSupport.h"

#include "platform/GbText.h"
#include "register/GridStore.h"
#include "register/StorableCell.h"

#include <vector>

namespace {

// The line split as the format defines it, written the plain way: a separator is a "^^"
// that starts on a character boundary; a line that holds fewer than twelve of them but
// twelve "^^" by bytes is split by bytes.
std::vector<std::string> Split(std::string_view line, bool byChars, size_t& separators) {
    std::vector<std::string> cells(1);
    for (size_t i = 0; i < line.size() && cells.size() <= 12;) {
        if (line.substr(i, 2) == "^^") {
            cells.emplace_back();
            i += 2;
            continue;
        }
        const size_t len = byChars ? GbCharLength(line, i) : 1;
        cells.back().append(line.substr(i, len));
        i += len;
    }
    separators = cells.size() - 1;
    cells.resize(12);
    return cells;
}

std::vector<std::string> SplitLine(std::string_view line) {
    size_t chars, bytes;
    std::vector<std::string> cells = Split(line, true, chars);
    std::vector<std::string> byBytes = Split(line, false, bytes);
    return chars < 12 && bytes >= 12 ? byBytes : cells;
}

// Lines of a database file: each ends at LF (a CR before it dropped); a last line without
// LF counts.
std::vector<std::string> FileLines(std::string_view data) {
    std::vector<std::string> lines;
    while (!data.empty()) {
        size_t lf = data.find('\n');
        std::string_view line = data.substr(0, lf);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        if (lf == data.npos) break;
        data.remove_prefix(lf + 1);
    }
    return lines;
}

void CheckRow(const VideoRegister& reg, int row, const std::vector<std::string>& cells) {
    for (int c = 1; c < 12; ++c)
        FUZZ_CHECK(reg.Cell(c, row) == cells[size_t(c)]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    VideoRegister reg;

    // One line into one row, and the row back into a line.
    LineToRow(reg, bytes, 1);
    CheckRow(reg, 1, SplitLine(bytes));
    FUZZ_CHECK(reg.Cell(0, 1) == SplitLine(bytes)[0]);

    // The whole input as a database file.
    const std::string path = ScratchDir() + "in.vdb";
    const std::string saved = ScratchDir() + "saved.vdb";
    WriteBytes(path, bytes);
    LoadRegister(reg, path);
    auto lines = FileLines(bytes);
    FUZZ_CHECK(reg.LastRow() == std::max<int>(1, int(lines.size())));
    FUZZ_CHECK(reg.Cell(0, 1) == "    1");
    for (size_t i = 0; i < lines.size(); ++i)
        CheckRow(reg, int(i) + 1, SplitLine(lines[i]));

    // A carriage return inside a line stays; other faults of the cell rule move texts.
    bool caretEnd = false;
    for (int r = 1; r <= reg.LastRow(); ++r)
        for (int c = 0; c < 12; ++c) {
            const CellFault fault = CellFaultOf(reg.Cell(c, r));
            caretEnd |= fault != CellFault::None && fault != CellFault::LineBreak;
        }

    SaveRegister(reg, saved);
    std::string expected;
    for (int r = 1; r <= reg.LastRow(); ++r)
        expected += RowToLine(reg, r) + "\r\n";
    FUZZ_CHECK(ReadBytes(saved) == expected);
    VideoRegister back;
    LoadRegister(back, saved);
    FUZZ_CHECK(back.LastRow() == reg.LastRow());
    for (int r = 1; r <= reg.LastRow(); ++r) {
        if (!caretEnd) {
            for (int c = 0; c < 12; ++c)
                FUZZ_CHECK(back.Cell(c, r) == reg.Cell(c, r));
        } else {
            CheckRow(back, r, SplitLine(RowToLine(reg, r)));
        }
    }
    return 0;
}
