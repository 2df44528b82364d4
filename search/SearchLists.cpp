#include "search/SearchLists.h"

#include "platform/GbText.h"

bool TFileList::Add(std::string_view path) {
    std::string key = UpperCase(path);
    if (seen_.contains(key)) return false;
    const std::string& item = items_.emplace_back(path);
    // Paths of the search are upper case already; only others need a key of their own.
    seen_.insert(key == item ? item : keys_.emplace_back(std::move(key)));
    return true;
}

void TFileList::Clear() {
    seen_.clear();
    keys_.clear();
    items_.clear();
}
