#include "register/NewRecord.h"

#include "platform/GbText.h"
#include "register/GridStore.h"

#include <string>

bool StorablePath(std::string_view gbPath) {
    return gbPath.find("^^") == std::string_view::npos &&
           gbPath.find_first_of("\r\n") == std::string_view::npos;
}

PackedRow NewRecord(std::string_view gbPath) {
    static const std::string rightChannel = Utf8ToGb("右声道");
    const std::string upper = UpperCase(gbPath);
    const std::string_view path = upper;
    const size_t slash = path.rfind('/');
    const std::string_view dir = slash == std::string_view::npos ? "" : path.substr(0, slash + 1);
    const std::string_view file = path.substr(dir.size());
    const size_t dot = file.rfind('.');
    const std::string_view name = dot == std::string_view::npos ? file : file.substr(0, dot);
    const std::string_view type = file.substr(name.size());
    std::array<std::string_view, PackedRow::kCells> cells{};
    cells[colPath] = dir;
    cells[colName] = name;
    cells[colType] = type;
    cells[colChannel] = rightChannel;
    cells[colTrack] = "1";
    return PackedRow(cells);
}

void WriteNewRecord(VideoRegister& reg, int row, std::string_view gbPath) {
    const PackedRow record = NewRecord(gbPath);
    for (int col : {colPath, colName, colType, colChannel, colTrack})
        reg.SetCell(col, row, record.Cell(col));
}
