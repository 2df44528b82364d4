// The database line and file format: any bytes load without harm, every row is the plain
// model's reading of its line (tests/support/RegisterModel.h), and a save followed by a load
// gives the same rows wherever the format can hold them (the cell rule's).
#include "FuzzSupport.h"

#include "platform/text/GbText.h"
#include "register/GridStore.h"
#include "register/StorableCell.h"
#include "support/RegisterModel.h"

#include <vector>

namespace {

using model::ParseLine;

void CheckRow(const VideoRegister& reg, int row, const model::Row& cells) {
    for (int c = 1; c < 12; ++c)
        FUZZ_CHECK(reg.Cell(c, row) == cells[size_t(c)]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    VideoRegister reg;

    // One line into one row, and the row back into a line.
    LineToRow(reg, bytes, 1);
    CheckRow(reg, 1, ParseLine(bytes));
    FUZZ_CHECK(reg.Cell(0, 1) == ParseLine(bytes)[0]);

    // The whole input as a database file.
    const std::string path = ScratchDir() + "in.vdb";
    const std::string saved = ScratchDir() + "saved.vdb";
    WriteBytes(path, bytes);
    LoadRegister(reg, path);
    const model::Rows rows = model::ParseFile(bytes);
    FUZZ_CHECK(reg.LastRow() == int(rows.size()));
    FUZZ_CHECK(reg.Cell(0, 1) == "    1");
    for (size_t i = 0; i < rows.size(); ++i)
        CheckRow(reg, int(i) + 1, rows[i]);

    // A carriage return inside a line stays; other faults of the cell rule move texts.
    bool caretEnd = false;
    for (int r = 1; r <= reg.LastRow(); ++r)
        for (int c = 0; c < 12; ++c) {
            const CellFault fault = CellFaultOf(reg.Cell(c, r));
            caretEnd |= fault != CellFault::None && fault != CellFault::LineBreak &&
                        fault != CellFault::Tab;
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
            CheckRow(back, r, ParseLine(RowToLine(reg, r)));
        }
    }
    return 0;
}
