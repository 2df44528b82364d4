// The two work lists of a running search: lstDirectory, every folder to be searched in
// walk order, and lstFiles, the full path of every matching file in listing order.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

// One folder of lstDirectory: its path (register form) and the register forms of the names
// of its files as the walk read them, so the listing needs no second directory read.
struct TSearchFolder {
    std::string path;
    std::vector<std::string> fileNames;
    // The same files' names on disk, and from which index on they lie in which real folder
    // (a location that case variants fit holds the files of each), so that a file can be
    // named as it is on disk.
    std::vector<std::string> realNames;
    std::vector<std::pair<size_t, std::string>> realFolders; // folder with its separator
    std::string RealPathOf(size_t file) const;
};

// lstFiles: no path twice, compared without regard to letter case, checked in constant time.
class TFileList {
public:
    // Appends the path unless an equal one (a-z case ignored) is listed; true when added.
    bool Add(std::string_view path);
    size_t Count() const { return items_.size(); }
    const std::string& operator[](size_t i) const { return items_[i]; }
    void Clear();

private:
    std::deque<std::string> items_; // a deque keeps the keys' text in place as it grows
    std::deque<std::string> keys_;  // upper-case forms of items that are not upper case
    std::unordered_set<std::string_view> seen_;
};

struct TSearchWork {
    std::vector<TSearchFolder> lstDirectory;
    TFileList lstFiles;
    void Clear() {
        lstDirectory.clear();
        lstFiles.Clear();
    }
};
