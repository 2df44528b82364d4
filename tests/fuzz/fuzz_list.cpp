// The list files: any bytes read without harm into the items that the line rule gives
// (CR LF, CR or LF ends a line; a last line without end counts), and writing the items and
// reading them again gives the same items.
#include "FuzzSupport.h"

#include "register/ListFiles.h"

#include <vector>

namespace {

std::vector<std::string> ListLines(std::string_view data) {
    std::vector<std::string> items;
    std::string item;
    for (size_t i = 0; i < data.size(); ++i) {
        char ch = data[i];
        if (ch != '\r' && ch != '\n') {
            item += ch;
            continue;
        }
        items.push_back(item);
        item.clear();
        if (ch == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
    }
    if (!item.empty()) items.push_back(item);
    return items;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = ScratchDir() + "list.txt";
    WriteBytes(path, bytes);
    auto items = ReadListFile(path);
    FUZZ_CHECK(items == ListLines(bytes));

    WriteListFile(path, items);
    std::string expected;
    for (const auto& item : items)
        expected += item + "\r\n";
    FUZZ_CHECK(ReadBytes(path) == expected);
    FUZZ_CHECK(ReadListFile(path) == items);
    return 0;
}
