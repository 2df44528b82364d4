#include "register/NewRecord.h"

#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <string>

namespace {

// The path, name and type cells of a file path: the folder part with its trailing
// separator, the name without its extension (from the last dot on), the extension.
struct RecordCells {
    std::string_view dir, name, type;
};

RecordCells SplitFilePath(std::string_view path) {
    const size_t slash = path.rfind('/');
    const std::string_view dir = slash == std::string_view::npos ? "" : path.substr(0, slash + 1);
    const std::string_view file = path.substr(dir.size());
    const size_t dot = file.rfind('.');
    const std::string_view name = dot == std::string_view::npos ? file : file.substr(0, dot);
    return {dir, name, file.substr(name.size())};
}

} // namespace

CellFault PathFault(std::string_view gbPath) {
    // Upper case changes no caret, CR, LF or character boundary, so the path's own parts
    // decide.
    const RecordCells cells = SplitFilePath(gbPath);
    for (std::string_view cell : {cells.dir, cells.name, cells.type})
        if (CellFault fault = CellFaultOf(cell); fault != CellFault::None) return fault;
    return CellFault::None;
}

QString UnstorablePathLine(std::string_view gbPath) {
    return QStringLiteral("无法登记的文件名: ") + GbToQString(gbPath) + QStringLiteral("（") +
           CellFaultText(PathFault(gbPath)) + QStringLiteral("）");
}

PackedRow NewRecord(std::string_view gbPath) {
    static const std::string rightChannel = Utf8ToGb("右声道");
    const std::string upper = UpperCase(gbPath);
    const RecordCells parts = SplitFilePath(upper);
    std::array<std::string_view, PackedRow::kCells> cells{};
    cells[colPath] = parts.dir;
    cells[colName] = parts.name;
    cells[colType] = parts.type;
    cells[colChannel] = rightChannel;
    cells[colTrack] = "1";
    return PackedRow(cells);
}

void WriteNewRecord(VideoRegister& reg, int row, std::string_view gbPath) {
    const PackedRow record = NewRecord(gbPath);
    for (int col : {colPath, colName, colType, colChannel, colTrack})
        reg.SetCell(col, row, record.Cell(col));
}
