#include "search/SearchLists.h"

#include "platform/text/GbText.h"

#include <algorithm>

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

std::string TSearchFolder::RealPathOf(size_t file) const {
    auto after = std::upper_bound(realFolders.begin(), realFolders.end(), file,
                                  [](size_t i, const auto& folder) { return i < folder.first; });
    if (after == realFolders.begin() || file >= realNames.size()) return {};
    return std::prev(after)->second + realNames[file];
}
