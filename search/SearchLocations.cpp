#include "search/SearchLocations.h"

#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "platform/ui/Shell.h"

#include <algorithm>
#include <unordered_set>

bool LocationContains(std::string_view location, std::string_view path) {
    if (location.empty() || path.size() <= location.size() || !path.starts_with(location))
        return false;
    return location.back() == '/' || path[location.size()] == '/';
}

int FindParentDir(const std::vector<std::string>& dirs, std::string_view path) {
    for (size_t i = 0; i < dirs.size(); ++i)
        if (LocationContains(dirs[i], path)) return int(i);
    return -1;
}

bool LessNoCase(std::string_view a, std::string_view b) {
    return UpperCase(a) < UpperCase(b);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && UpperCase(a) == UpperCase(b);
}

std::string RegisterFormOfPath(std::string_view realPath) {
    std::string out;
    size_t pos = 0;
    while (true) {
        size_t slash = realPath.find('/', pos);
        out += RegisterFormOfName(realPath.substr(pos, slash - pos));
        if (slash == std::string_view::npos) break;
        out += '/';
        pos = slash + 1;
    }
    return out;
}

size_t InsertSorted(std::vector<std::string>& dirs, std::string path) {
    auto at = std::upper_bound(
        dirs.begin(), dirs.end(), path,
        [](const std::string& a, const std::string& b) { return LessNoCase(a, b); });
    size_t index = size_t(at - dirs.begin());
    dirs.insert(at, std::move(path));
    return index;
}

int AddSearchDir(std::vector<std::string>& dirs, std::string_view path, IShell& shell,
                 const std::function<bool(std::string_view)>& isFolder) {
    std::string p = UpperCase(path);
    if (!isFolder(p)) return -1;
    if (std::any_of(dirs.begin(), dirs.end(), [&](const auto& d) { return EqualNoCase(d, p); }))
        return -1;
    if (FindParentDir(dirs, p) >= 0) {
        shell.SetStatusText(1, QString::fromUtf8("路径") + GbToQString(p) +
                                   QString::fromUtf8(" : 为子文件夹，无需再加入！"));
        return -1;
    }
    return int(InsertSorted(dirs, std::move(p)));
}

bool AddFileType(std::vector<std::string>& exts, std::string_view typed) {
    std::string e = UpperCase(Trim(typed));
    if (std::any_of(exts.begin(), exts.end(), [&](const auto& x) { return EqualNoCase(x, e); }))
        return false;
    exts.push_back(std::move(e));
    return true;
}

int RemoveListItem(std::vector<std::string>& items, int selected) {
    items.erase(items.begin() + selected);
    return int(items.size()) - 1;
}

// An item goes when any earlier item contains or equals it. Its possible containers are
// its own leading parts that end before or at a "/", so a hash set of the earlier items
// answers that in one lookup per separator instead of a scan of the list.
void PruneSearchDirs(std::vector<std::string>& dirs) {
    if (dirs.size() < 2) return;
    std::unordered_set<std::string_view> earlier;
    std::vector<bool> remove(dirs.size(), false);
    for (size_t i = 0; i < dirs.size(); ++i) {
        std::string_view item = dirs[i];
        bool contained = earlier.contains(item);
        for (size_t slash = item.find('/'); !contained && slash != std::string_view::npos;
             slash = item.find('/', slash + 1)) {
            contained = (slash > 0 && earlier.contains(item.substr(0, slash))) ||
                        (slash + 1 < item.size() && earlier.contains(item.substr(0, slash + 1)));
        }
        remove[i] = contained;
        earlier.insert(item);
    }
    earlier.clear();
    size_t kept = 0;
    for (size_t i = 0; i < dirs.size(); ++i) {
        if (remove[i]) continue;
        if (kept != i) dirs[kept] = std::move(dirs[i]);
        ++kept;
    }
    dirs.resize(kept);
}
