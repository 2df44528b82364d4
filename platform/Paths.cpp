#include "platform/Paths.h"

#include "platform/GbText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace {

struct DirListing {
    struct timespec mtime {};
    std::unordered_map<std::string, std::string> byRegisterForm; // first real name wins
    bool sharedForms = false; // two names on disk have one register form
};

std::mutex cacheMutex;
std::unordered_map<std::string, DirListing> listingCache;
// The real paths of folders resolved while a ResolverSession is open, by their text as
// given (absolute, with the trailing separator).
int openSessions = 0;
std::unordered_map<std::string, std::string> sessionFolders;

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Real name in dir whose register form equals wanted (upper-cased GB18030), or "".
std::string FindCaseVariant(const std::string& dir, const std::string& wanted) {
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
    std::lock_guard lock(cacheMutex);
    DirListing& listing = listingCache[dir];
    if (!SameTime(listing.mtime, st.st_mtim) || listing.byRegisterForm.empty()) {
        listing.byRegisterForm.clear();
        listing.sharedForms = false;
        listing.mtime = st.st_mtim;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d)) {
                std::string name = e->d_name;
                if (name == "." || name == "..") continue;
                if (!listing.byRegisterForm.emplace(RegisterFormOfName(name), name).second)
                    listing.sharedForms = true;
            }
            closedir(d);
        }
    }
    auto it = listing.byRegisterForm.find(wanted);
    return it == listing.byRegisterForm.end() ? std::string() : it->second;
}

} // namespace

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

std::string ProgramDir() {
    QString dir =
        DataFolderFor(QCoreApplication::applicationDirPath(),
                      QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                          QLatin1String("/tavlora"));
    std::string gb = QStringToGb(dir);
    if (gb.empty() || gb.back() != '/') gb += '/';
    return gb;
}

DataPaths MakeDataPaths(const std::string& programDir) {
    return {programDir + Utf8ToGb("视频登记库.vdb"), programDir + Utf8ToGb("系统参数.INI"),
            programDir + Utf8ToGb("搜索路径.txt"), programDir + Utf8ToGb("搜索类型.txt")};
}

std::string RegisterFormOfName(std::string_view diskName) {
    return UpperCase(DiskNameToGb(diskName));
}

namespace {

// The length of the folder part of a path: up to and including the separator before its
// last component; 0 when there is none.
size_t FolderPartLength(std::string_view gbPath) {
    size_t end = gbPath.find_last_not_of('/');
    if (end == std::string_view::npos) return 0;
    size_t slash = gbPath.rfind('/', end);
    return slash == std::string_view::npos ? 0 : slash + 1;
}

std::optional<std::string> SessionFolder(std::string_view folder) {
    std::lock_guard lock(cacheMutex);
    if (openSessions == 0) return std::nullopt;
    auto it = sessionFolders.find(std::string(folder));
    if (it == sessionFolders.end()) return std::nullopt;
    return it->second;
}

void RememberSessionFolder(std::string_view folder, const std::string& real) {
    std::lock_guard lock(cacheMutex);
    if (openSessions > 0) sessionFolders.emplace(folder, real);
}

} // namespace

std::string ResolvePath(std::string_view gbPath) {
    std::string real = gbPath.starts_with('/') ? "/" : "";
    bool parentExists = true;
    size_t pos = 0;
    // Only absolute folders are remembered: a relative one depends on the working folder.
    const size_t folderPart = real.empty() ? 0 : FolderPartLength(gbPath);
    const std::string_view folder = gbPath.substr(0, folderPart);
    const bool remember = folderPart > 1;
    bool known = false;
    if (remember) {
        if (std::optional<std::string> realFolder = SessionFolder(folder)) {
            real = std::move(*realFolder);
            pos = folderPart;
            known = true;
        }
    }
    while (pos <= gbPath.size()) {
        if (remember && !known && pos == folderPart && parentExists)
            RememberSessionFolder(folder, real);
        size_t slash = gbPath.find('/', pos);
        if (slash == std::string_view::npos) slash = gbPath.size();
        std::string_view comp = gbPath.substr(pos, slash - pos);
        bool trailing = slash == gbPath.size();
        pos = slash + 1;
        if (comp.empty()) {
            if (trailing && !real.empty() && real.back() != '/') real += '/';
            if (trailing) break;
            continue;
        }
        if (!real.empty() && real.back() != '/') real += '/';
        std::string exact = GbToUtf8(comp);
        std::string dir = real.empty() ? "." : real;
        struct stat st;
        if (!parentExists || comp == "." || comp == ".." ||
            lstat((real + exact).c_str(), &st) == 0) {
            real += exact;
        } else if (std::string variant = FindCaseVariant(dir, UpperCase(comp)); !variant.empty()) {
            real += variant;
        } else if (exact != comp && lstat((real + std::string(comp)).c_str(), &st) == 0) {
            real += comp; // a name stored as raw bytes
        } else {
            real += exact;
            parentExists = false;
        }
        if (trailing) break;
    }
    return real;
}

bool FileExists(std::string_view gbPath) {
    struct stat st;
    return !gbPath.empty() && stat(ResolvePath(gbPath).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(std::string_view gbPath) {
    struct stat st;
    return !gbPath.empty() && stat(ResolvePath(gbPath).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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
    if (--openSessions == 0) sessionFolders.clear();
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
    // With two names of one form the survivor of a removal is unknown: read the folder again.
    if (!current || (!added && listing.sharedForms)) {
        listingCache.erase(it);
        return;
    }
    std::string form = RegisterFormOfName(name_);
    if (added) {
        auto [entry, inserted] = listing.byRegisterForm.emplace(form, name_);
        if (!inserted && entry->second != name_) listing.sharedForms = true;
    } else if (auto entry = listing.byRegisterForm.find(form);
               entry != listing.byRegisterForm.end() && entry->second == name_) {
        listing.byRegisterForm.erase(entry);
    }
    listing.mtime = st.st_mtim;
}
