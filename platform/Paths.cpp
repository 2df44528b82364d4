#include "platform/Paths.h"

#include "platform/GbText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {

struct DirListing {
    struct timespec mtime {};
    // Per register form, the name first in byte order; where two or more names on disk
    // share one form, `shared` holds all of them in byte order.
    std::unordered_map<std::string, std::string> byRegisterForm;
    std::unordered_map<std::string, std::vector<std::string>> shared;
    bool read = false;
};

std::mutex cacheMutex;
std::unordered_map<std::string, DirListing> listingCache;
// The real paths of folders resolved while a ResolverSession is open, by their text as
// given (absolute, with the trailing separator); only folders that one folder alone fits.
int openSessions = 0;
std::unordered_map<std::string, std::string> sessionFolders;
std::unordered_map<std::string, std::string> pinnedFolders; // kept by ClearResolverCache

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

void AddName(DirListing& listing, std::string form, std::string name) {
    auto [it, added] = listing.byRegisterForm.try_emplace(form, name);
    if (added) return;
    std::vector<std::string>& all = listing.shared[form];
    if (all.empty()) all.push_back(it->second);
    all.insert(std::upper_bound(all.begin(), all.end(), name), name);
    it->second = all.front();
}

// The real names in dir whose register form equals wanted (upper-cased GB18030), in byte
// order; none when dir is not a readable folder.
std::vector<std::string> CaseVariants(const std::string& dir, const std::string& wanted) {
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
    std::lock_guard lock(cacheMutex);
    DirListing& listing = listingCache[dir];
    if (!SameTime(listing.mtime, st.st_mtim) || !listing.read) {
        listing = DirListing{};
        listing.mtime = st.st_mtim;
        listing.read = true;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d)) {
                std::string name = e->d_name;
                if (name == "." || name == "..") continue;
                std::string form = RegisterFormOfName(name);
                AddName(listing, std::move(form), std::move(name));
            }
            closedir(d);
        }
    }
    if (auto all = listing.shared.find(wanted); all != listing.shared.end()) return all->second;
    auto it = listing.byRegisterForm.find(wanted);
    if (it == listing.byRegisterForm.end()) return {};
    return {it->second};
}

bool Exists(const std::string& real) {
    struct stat st;
    return lstat(real.c_str(), &st) == 0;
}

// The components of a GB18030 path, and whether it is absolute or ends in a separator.
struct SplitPath {
    std::vector<std::string_view> comps;
    bool absolute = false;
    bool trailing = false;
};

SplitPath Split(std::string_view gbPath) {
    SplitPath split;
    split.absolute = gbPath.starts_with('/');
    split.trailing = gbPath.size() > 1 && gbPath.ends_with('/');
    size_t pos = 0;
    while (pos <= gbPath.size()) {
        size_t slash = gbPath.find('/', pos);
        if (slash == std::string_view::npos) slash = gbPath.size();
        if (slash > pos) split.comps.push_back(gbPath.substr(pos, slash - pos));
        pos = slash + 1;
    }
    return split;
}

std::string WithSlash(std::string real) {
    if (!real.empty() && real.back() != '/') real += '/';
    return real;
}

// Collects every entry on disk that the components from `index` on name below `real`. A
// component spelled exactly as on disk wins when it leads to the rest of the path (unless
// `everyVariant`); otherwise every case variant is followed in byte order, so that a
// variant that does not lead on is passed over for the next one.
class MatchWalk {
public:
    MatchWalk(const SplitPath& split, bool everyVariant, std::vector<DiskEntry>& out)
        : split_(split), everyVariant_(everyVariant), out_(out) {}

    void Walk(size_t index, const std::string& real) {
        if (index == split_.comps.size()) return Found(real);
        const std::string_view comp = split_.comps[index];
        const std::string prefix = WithSlash(real);
        if (comp == "." || comp == "..") return Walk(index + 1, prefix + std::string(comp));
        const std::string exact = GbToUtf8(comp);
        const size_t before = out_.size();
        if (Exists(prefix + exact)) {
            Walk(index + 1, prefix + exact);
            if (!everyVariant_ && out_.size() > before) return;
        }
        std::vector<std::string> variants =
            CaseVariants(prefix.empty() ? "." : prefix, UpperCase(comp));
        // A name stored as raw bytes, in a folder that may be searched but not listed.
        if (exact != comp && std::find(variants.begin(), variants.end(), comp) == variants.end() &&
            Exists(prefix + std::string(comp)))
            variants.emplace_back(comp);
        for (const std::string& name : variants)
            if (name != exact) Walk(index + 1, prefix + name);
    }

private:
    void Found(const std::string& real) {
        DiskEntry entry;
        struct stat st;
        if (stat(real.c_str(), &st) != 0) return; // a link that leads nowhere
        entry.real = split_.trailing ? WithSlash(real) : real;
        entry.dev = st.st_dev;
        entry.ino = st.st_ino;
        entry.mode = st.st_mode;
        for (const DiskEntry& known : out_)
            if (known.dev == entry.dev && known.ino == entry.ino) return; // one file, two ways
        out_.push_back(std::move(entry));
    }

    const SplitPath& split_;
    const bool everyVariant_;
    std::vector<DiskEntry>& out_;
};

std::string Root(const SplitPath& split) {
    return split.absolute ? "/" : "";
}

// The length of the folder part of a path: up to and including the separator before its
// last component; 0 when there is none.
size_t FolderPartLength(std::string_view gbPath) {
    size_t end = gbPath.find_last_not_of('/');
    if (end == std::string_view::npos) return 0;
    size_t slash = gbPath.rfind('/', end);
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// The real folder that alone fits the folder part of an absolute path, remembered while a
// session is open; nothing when no session is open or the folder is missing or ambiguous.
std::optional<std::string> SessionFolder(std::string_view gbPath) {
    const size_t length = gbPath.starts_with('/') ? FolderPartLength(gbPath) : 0;
    if (length <= 1) return std::nullopt;
    const std::string folder(gbPath.substr(0, length));
    {
        std::lock_guard lock(cacheMutex);
        if (openSessions == 0) return std::nullopt;
        if (auto it = pinnedFolders.find(folder); it != pinnedFolders.end()) return it->second;
        if (auto it = sessionFolders.find(folder); it != sessionFolders.end()) return it->second;
    }
    std::vector<DiskEntry> folders;
    const SplitPath split = Split(folder);
    MatchWalk(split, true, folders).Walk(0, Root(split));
    if (folders.size() != 1 || !S_ISDIR(folders.front().mode)) return std::nullopt;
    std::lock_guard lock(cacheMutex);
    if (openSessions > 0) sessionFolders.emplace(folder, folders.front().real);
    return folders.front().real;
}

} // namespace

std::vector<DiskEntry> FindOnDisk(std::string_view gbPath) {
    std::vector<DiskEntry> found;
    if (gbPath.empty()) return found;
    if (std::optional<std::string> folder = SessionFolder(gbPath)) {
        const SplitPath leaf = Split(gbPath.substr(FolderPartLength(gbPath)));
        MatchWalk(leaf, false, found).Walk(0, *folder);
        return found;
    }
    const SplitPath split = Split(gbPath);
    MatchWalk(split, false, found).Walk(0, Root(split));
    return found;
}

std::string ResolvePath(std::string_view gbPath) {
    std::vector<DiskEntry> found = FindOnDisk(gbPath);
    if (!found.empty()) return std::move(found.front().real);
    // Nothing fits: the path of a file to create. The existing part is followed as far as it
    // goes (exact name first, else the first case variant, so that a new file lands in an
    // existing variant of its folder or reuses a variant of its own name); the rest is the
    // register text in UTF-8.
    const SplitPath split = Split(gbPath);
    std::string real = Root(split);
    bool parentExists = true;
    for (std::string_view comp : split.comps) {
        real = WithSlash(std::move(real));
        std::string exact = GbToUtf8(comp);
        if (!parentExists || comp == "." || comp == ".." || Exists(real + exact)) {
            real += exact;
            continue;
        }
        std::vector<std::string> variants =
            CaseVariants(real.empty() ? "." : real, UpperCase(comp));
        if (!variants.empty()) {
            real += variants.front();
        } else if (exact != comp && Exists(real + std::string(comp))) {
            real += comp; // a name stored as raw bytes
        } else {
            real += exact;
            parentExists = false;
        }
    }
    return split.trailing ? WithSlash(std::move(real)) : real;
}

QString DataFolderFor(const QString& exeDir, const QString& perUserDir) {
    // /usr holds installed software: even root keeps data out of it.
    bool system = exeDir == QLatin1String("/usr") || exeDir.startsWith(QLatin1String("/usr/"));
    QByteArray local = QFile::encodeName(exeDir);
    if (!system && faccessat(AT_FDCWD, local.constData(), W_OK | X_OK, AT_EACCESS) == 0)
        return exeDir;
    // A folder that cannot be made falls back to the program's; saving there then reports
    // the failure with the program's own error text.
    return QDir().mkpath(perUserDir) ? perUserDir : exeDir;
}

namespace {
const char* const kDataFileNames[] = {"视频登记库.vdb", "系统参数.INI", "搜索路径.txt",
                                      "搜索类型.txt"};
} // namespace

QString BringDataFilesAlong(const QString& exeDir, const QString& dataDir) {
    if (QFileInfo(dataDir) == QFileInfo(exeDir)) return {};
    for (const char* name : kDataFileNames)
        if (QFileInfo::exists(dataDir + QLatin1Char('/') + QString::fromUtf8(name))) return {};
    for (const char* name : kDataFileNames) {
        const QString source = exeDir + QLatin1Char('/') + QString::fromUtf8(name);
        // isFile: a regular file (or a link to one); a pipe is never opened.
        if (QFileInfo(source).isFile())
            QFile::copy(source, dataDir + QLatin1Char('/') + QString::fromUtf8(name));
    }
    return QStringLiteral("数据文件所在文件夹: ") + dataDir;
}

DataFolder ChooseDataFolder() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString dir = DataFolderFor(
        exeDir, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                    QLatin1String("/tavlora"));
    DataFolder chosen{QStringToGb(dir), BringDataFilesAlong(exeDir, dir)};
    if (chosen.dir.empty() || chosen.dir.back() != '/') chosen.dir += '/';
    return chosen;
}

DataPaths MakeDataPaths(const std::string& programDir) {
    return {programDir + Utf8ToGb("视频登记库.vdb"), programDir + Utf8ToGb("系统参数.INI"),
            programDir + Utf8ToGb("搜索路径.txt"), programDir + Utf8ToGb("搜索类型.txt")};
}

std::string RegisterFormOfName(std::string_view diskName) {
    return UpperCase(DiskNameToGb(diskName));
}

std::string GbPathOfReal(std::string_view realPath) {
    std::string gb;
    size_t pos = 0;
    while (pos <= realPath.size()) {
        size_t slash = realPath.find('/', pos);
        if (slash == std::string_view::npos) slash = realPath.size();
        std::string_view comp = realPath.substr(pos, slash - pos);
        gb += IsValidUtf8(comp) ? Utf8ToGb(comp) : std::string(comp);
        if (slash < realPath.size()) gb += '/';
        pos = slash + 1;
    }
    return gb;
}

EntryKind KindOf(std::string_view gbPath) {
    std::vector<DiskEntry> found = FindOnDisk(gbPath);
    if (found.empty()) return EntryKind::None;
    if (S_ISREG(found.front().mode)) return EntryKind::File;
    return S_ISDIR(found.front().mode) ? EntryKind::Folder : EntryKind::Other;
}

bool FileExists(std::string_view gbPath) {
    return KindOf(gbPath) == EntryKind::File;
}

bool DirectoryExists(std::string_view gbPath) {
    return KindOf(gbPath) == EntryKind::Folder;
}

bool AnyFileExists(std::string_view gbPath) {
    std::vector<DiskEntry> found = FindOnDisk(gbPath);
    return std::any_of(found.begin(), found.end(),
                       [](const DiskEntry& e) { return S_ISREG(e.mode); });
}

void ClearResolverCache() {
    std::lock_guard lock(cacheMutex);
    listingCache.clear();
    sessionFolders.clear();
}

ResolverSession::ResolverSession() {
    std::lock_guard lock(cacheMutex);
    ++openSessions;
}

ResolverSession::~ResolverSession() {
    std::lock_guard lock(cacheMutex);
    if (--openSessions == 0) {
        sessionFolders.clear();
        pinnedFolders.clear();
    }
}

void ResolverSession::Pin(std::string_view gbFolder, std::string realFolder) {
    std::lock_guard lock(cacheMutex);
    pinnedFolders.insert_or_assign(std::string(gbFolder), WithSlash(std::move(realFolder)));
}

FolderEntryChange::FolderEntryChange(std::string_view realPath) {
    std::string path(realPath);
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    size_t slash = path.rfind('/');
    folder_ = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    name_ = slash == std::string::npos ? path : path.substr(slash + 1);
    struct stat st;
    known_ = stat(folder_.c_str(), &st) == 0;
    if (known_) before_ = st.st_mtim;
}

void FolderEntryChange::Added() {
    Patch(true);
}

void FolderEntryChange::Removed() {
    Patch(false);
}

void FolderEntryChange::Patch(bool added) {
    struct stat st;
    bool now = stat(folder_.c_str(), &st) == 0;
    std::lock_guard lock(cacheMutex);
    auto it = listingCache.find(folder_);
    if (it == listingCache.end()) return;
    DirListing& listing = it->second;
    // Current: as before the change, or already brought up to date (a rename within one
    // folder patches it twice; a lookup after the change read it again).
    bool current = now && ((known_ && SameTime(listing.mtime, before_)) ||
                           SameTime(listing.mtime, st.st_mtim));
    // With two names of one form the survivor of a removal is known only to a new read.
    std::string form = RegisterFormOfName(name_);
    if (!current || (!added && listing.shared.contains(form))) {
        listingCache.erase(it);
        return;
    }
    if (added) {
        auto all = listing.shared.find(form);
        auto first = listing.byRegisterForm.find(form);
        bool known = all != listing.shared.end()
                         ? std::binary_search(all->second.begin(), all->second.end(), name_)
                         : first != listing.byRegisterForm.end() && first->second == name_;
        if (!known) AddName(listing, std::move(form), name_);
    } else if (auto entry = listing.byRegisterForm.find(form);
               entry != listing.byRegisterForm.end() && entry->second == name_) {
        listing.byRegisterForm.erase(entry);
    }
    listing.mtime = st.st_mtim;
}
