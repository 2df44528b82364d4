// The list files "搜索路径.txt" and "搜索类型.txt": one item per line, CR LF; on reading a
// line ends at CR LF, CR or LF, and an empty line is an empty item.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The file's items; empty when the file does not exist. Throws EFileError on a read failure.
std::vector<std::string> ReadListFile(std::string_view path);
// Replaces the file with the items (safe write). Throws EFileError.
void WriteListFile(std::string_view path, const std::vector<std::string>& items);
