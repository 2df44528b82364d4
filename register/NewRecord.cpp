#include "register/NewRecord.h"

#include "platform/GbText.h"
#include "register/GridStore.h"
#include "register/StorableCell.h"

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

bool StorablePath(std::string_view gbPath) {
    // Upper case changes no caret, CR or LF, so the path's own parts decide.
    const RecordCells cells = SplitFilePath(gbPath);
    return StorableCell(cells.dir) && StorableCell(cells.name) && StorableCell(cells.type);
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
