#include "register/ListFiles.h"

#include "platform/fs/LineReader.h"
#include "platform/fs/Paths.h"
#include "platform/fs/SafeFile.h"

std::vector<std::string> ReadListFile(std::string_view path) {
    std::vector<std::string> items;
    const RealPath real = RealPath::OfGb(path);
    if (!FileExists(real)) return items;
    LineReader reader(real, LineReader::Ends::AnyEnd);
    std::string_view line;
    while (reader.Next(line))
        items.emplace_back(line);
    return items;
}

void WriteListFile(std::string_view path, const std::vector<std::string>& items) {
    std::string content;
    for (const auto& item : items)
        content += item + "\r\n";
    SafeWriteFile(RealPath::OfGb(path), content);
}
