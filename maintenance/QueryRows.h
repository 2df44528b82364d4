// The two queries of the tool bar: find the next row whose main file name or path contains
// the query text, wrapping around from the last row to the first.
#pragma once

#include "platform/ui/Shell.h"
#include "register/VideoRegister.h"

#include <QString>
#include <string_view>

struct QueryField {
    int column;
    const char* notFoundText; // UTF-8, followed by the query text
};
inline constexpr QueryField kQueryFileName{2, "文件信息中没有检索到内容: "};
inline constexpr QueryField kQueryFilePath{1, "路径信息中没有检索到内容: "};

// The first row after `from` whose cell in col contains query (a byte substring), else the
// first such row from 1 to `from` inclusive when from >= 1; 0 when none. An empty query
// matches nothing.
int FindNextRow(const VideoRegister& reg, int col, std::string_view query, int from);

// One press of a query button: moves the current cell to the query column, looks for the
// next match from the current row and makes it current, reporting on the status line.
void QueryRegister(VideoRegister& reg, IShell& shell, const QueryField& field,
                   const QString& query);
