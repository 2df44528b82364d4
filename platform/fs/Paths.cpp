#include "platform/fs/Paths.h"

#include "platform/disks/ReachGate.h"
#include "platform/fs/FileId.h"
#include "platform/fs/FolderHandle.h"
#include "platform/text/GbText.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

struct DirListing {
    timespec mtime{};
    // Per register form, the name first in byte order; where two or more names on disk
    // share one form, `shared` holds all of them in byte order.
    std::unordered_map<std::string, std::string> byRegisterForm;
    std::unordered_map<std::string, std::vector<std::string>> shared;
    size_t names = 0;
};

bool SameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

void AddName(DirListing& listing, std::string form, std::string name) {
    ++listing.names;
    auto [it, added] = listing.byRegisterForm.try_emplace(form, name);
    if (added) return;
    std::vector<std::string>& all = listing.shared[form];
    if (all.empty()) all.push_back(it->second);
    all.insert(std::upper_bound(all.begin(), all.end(), name), name);
    it->second = all.front();
}

// The listings of the folders looked up lately, by device and inode (a folder reached through
// many links or spellings is listed once), the least recently used dropped beyond a bound on
// the names held. Readers take a listing out under the lock and search it after; a listing
// is changed in place only while no reader holds it.
class ListingCache {
public:
    std::shared_ptr<const DirListing> Find(const TFileId& id, const timespec& mtime) {
        std::lock_guard lock(mutex_);
        auto it = map_.find(id);
        if (it == map_.end() || !SameTime(it->second.listing->mtime, mtime)) return nullptr;
        order_.splice(order_.begin(), order_, it->second.use);
        return it->second.listing;
    }

    void Store(const TFileId& id, std::shared_ptr<DirListing> listing) {
        std::lock_guard lock(mutex_);
        Drop(id);
        names_ += listing->names;
        order_.push_front(id);
        map_.emplace(id, Slot{std::move(listing), order_.begin()});
        while (names_ > kMaxNames && order_.size() > 1)
            Drop(order_.back());
    }

    // Runs `change` on the listing of the folder while the lock is held; a listing that
    // `change` rejects (returns false) is dropped.
    template <class Change> void Patch(const TFileId& id, Change change) {
        std::lock_guard lock(mutex_);
        auto it = map_.find(id);
        if (it == map_.end()) return;
        std::shared_ptr<DirListing>& listing = it->second.listing;
        if (listing.use_count() > 1) listing = std::make_shared<DirListing>(*listing);
        const size_t before = listing->names;
        if (!change(*listing)) return Drop(id);
        names_ = names_ - before + listing->names;
    }

    void Clear() {
        std::lock_guard lock(mutex_);
        map_.clear();
        order_.clear();
        names_ = 0;
    }

private:
    // About 30 MB of names at most; far more than the folders of one command.
    static constexpr size_t kMaxNames = 500000;

    struct Slot {
        std::shared_ptr<DirListing> listing;
        std::list<TFileId>::iterator use;
    };

    void Drop(const TFileId& id) {
        auto it = map_.find(id);
        if (it == map_.end()) return;
        names_ -= it->second.listing->names;
        order_.erase(it->second.use);
        map_.erase(it);
    }

    std::mutex mutex_;
    std::unordered_map<TFileId, Slot, TFileIdHash> map_;
    std::list<TFileId> order_; // most recently used first
    size_t names_ = 0;
};

// What the sessions remember. Like the listings, it is never destroyed: a thread abandoned
// in a file-system call may come back to it after the program has begun to exit.
struct SessionState {
    std::mutex mutex;
    int open = 0;
    // The real paths of folders resolved while a ResolverSession is open, by their text as
    // given (absolute, with the trailing separator); only folders that one folder alone fits.
    std::unordered_map<std::string, std::string> folders;
};

ListingCache& Listings() {
    static ListingCache* cache = new ListingCache;
    return *cache;
}

SessionState& Sessions() {
    static SessionState* state = new SessionState;
    return *state;
}

struct FolderStat {
    TFileId id;
    timespec mtime{};
};

std::optional<FolderStat> FolderStatOf(const struct stat& st) {
    if (!S_ISDIR(st.st_mode)) return std::nullopt;
    return FolderStat{{st.st_dev, st.st_ino}, st.st_mtim};
}

std::optional<FolderStat> StatFolder(const std::string& dir) {
    Reaching(dir);
    struct stat st;
    if (stat(dir.c_str(), &st) != 0) return std::nullopt;
    return FolderStatOf(st);
}

std::optional<FolderStat> StatFolder(const FolderHandle& folder) {
    struct stat st;
    if (fstat(folder.Descriptor(), &st) != 0) return std::nullopt;
    return FolderStatOf(st);
}

// A folder's entries are named by `dir` (ending in the separator) relative to `at`: a path
// from the working folder (AT_FDCWD), or "./" in a folder held open.
constexpr const char* kInHeldFolder = "./";

// The listing of the folder, from the cache while its modification time still matches;
// nothing when it cannot be read. The folder is read with no lock held, so two threads may
// read one folder at once and the later one's listing stays.
std::shared_ptr<const DirListing> ListingOf(int at, const std::string& dir,
                                            const FolderStat& folder) {
    if (auto cached = Listings().Find(folder.id, folder.mtime)) return cached;
    const int fd = openat(at, dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* d = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!d) {
        if (fd >= 0) close(fd);
        return nullptr;
    }
    auto listing = std::make_shared<DirListing>();
    listing->mtime = folder.mtime;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        std::string form = RegisterFormOfName(name);
        AddName(*listing, std::move(form), std::move(name));
    }
    closedir(d);
    Listings().Store(folder.id, listing);
    return listing;
}

bool Exists(int at, const std::string& real) {
    struct stat st;
    return fstatat(at, real.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// The names in the folder whose register form equals `wanted`, in byte order. A folder that
// may be searched but not listed gives the exact spelling and the raw bytes where they exist.
std::vector<std::string> NamesOfForm(int at, const std::string& dir, const FolderStat& folder,
                                     const std::string& wanted, std::string_view comp) {
    if (auto listing = ListingOf(at, dir, folder)) {
        if (auto all = listing->shared.find(wanted); all != listing->shared.end())
            return all->second;
        auto it = listing->byRegisterForm.find(wanted);
        if (it == listing->byRegisterForm.end()) return {};
        return {it->second};
    }
    std::vector<std::string> names;
    for (std::string name : {GbToUtf8(comp), std::string(comp)})
        if (std::find(names.begin(), names.end(), name) == names.end() && Exists(at, dir + name))
            names.push_back(std::move(name));
    return names;
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

std::string FolderToList(const std::string& prefix) {
    return prefix.empty() ? "./" : prefix;
}

struct StepHash {
    size_t operator()(const std::pair<size_t, TFileId>& step) const {
        return TFileIdHash()(step.second) ^ (step.first * 0x100000001B3ull);
    }
};

// Collects every entry on disk that the components from `index` on name below `real`: the
// exact spelling first, then every other case variant in byte order. A folder already
// expanded for a component is not expanded again: what lies below depends on the folder
// alone (".." too is taken from the folder the kernel reached, not from the text).
class MatchWalk {
public:
    MatchWalk(const SplitPath& split, std::vector<DiskEntry>& out) : split_(split), out_(out) {}

    void Walk(size_t index, const std::string& real) {
        if (index == split_.comps.size()) return Found(real);
        const std::string_view comp = split_.comps[index];
        const std::string prefix = WithSlash(real);
        if (comp == "." || comp == "..") return Walk(index + 1, prefix + std::string(comp));
        const std::string dir = FolderToList(prefix);
        const std::optional<FolderStat> folder = StatFolder(dir);
        if (!folder || !expanded_.insert({index, folder->id}).second) return;
        std::vector<std::string> names = NamesOfForm(AT_FDCWD, dir, *folder, UpperCase(comp), comp);
        const std::string exact = GbToUtf8(comp);
        if (auto it = std::find(names.begin(), names.end(), exact); it != names.end())
            std::rotate(names.begin(), it, it + 1);
        for (const std::string& name : names)
            Walk(index + 1, prefix + name);
    }

private:
    void Found(const std::string& real) {
        Reaching(real);
        struct stat st;
        if (stat(real.c_str(), &st) != 0) return; // a link that leads nowhere
        for (const DiskEntry& known : out_)
            if (known.dev == st.st_dev && known.ino == st.st_ino) return; // one file, two ways
        out_.push_back(
            {RealPath(split_.trailing ? WithSlash(real) : real), st.st_dev, st.st_ino, st.st_mode});
    }

    const SplitPath& split_;
    std::vector<DiskEntry>& out_;
    std::unordered_set<std::pair<size_t, TFileId>, StepHash> expanded_;
};

std::string Root(const SplitPath& split) {
    return split.absolute ? "/" : "";
}

std::vector<DiskEntry> WalkFrom(std::string_view gbPath, const std::string& start) {
    std::vector<DiskEntry> found;
    const SplitPath split = Split(gbPath);
    MatchWalk(split, found).Walk(0, start.empty() ? Root(split) : start);
    return found;
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
    SessionState& sessions = Sessions();
    {
        std::lock_guard lock(sessions.mutex);
        if (sessions.open == 0) return std::nullopt;
        if (auto it = sessions.folders.find(folder); it != sessions.folders.end())
            return it->second;
    }
    std::vector<DiskEntry> folders = WalkFrom(folder, "");
    if (folders.size() != 1 || !S_ISDIR(folders.front().mode)) return std::nullopt;
    std::lock_guard lock(sessions.mutex);
    if (sessions.open > 0) sessions.folders.emplace(folder, folders.front().real.Bytes());
    return folders.front().real.Bytes();
}

EntryKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return EntryKind::File;
    return S_ISDIR(mode) ? EntryKind::Folder : EntryKind::Other;
}

} // namespace

RealPath RealPath::OfGb(std::string_view gbPath) {
    std::string real;
    const SplitPath split = Split(gbPath);
    real = Root(split);
    for (std::string_view comp : split.comps)
        real = WithSlash(std::move(real)) + GbToUtf8(comp);
    return RealPath(split.trailing ? WithSlash(std::move(real)) : real);
}

std::string RealPath::Gb() const {
    return GbPathOfReal(bytes_);
}

RealPath RealPath::Child(std::string_view name) const {
    return RealPath(WithSlash(bytes_).append(name));
}

RealPath RealPath::Folder() const {
    const size_t end = std::max<size_t>(bytes_.find_last_not_of('/') + 1, 1);
    const size_t slash = bytes_.rfind('/', end - 1);
    return RealPath(slash == std::string::npos ? "./" : bytes_.substr(0, slash + 1));
}

std::string RealPath::Name() const {
    const size_t end = std::max<size_t>(bytes_.find_last_not_of('/') + 1, 1);
    const size_t slash = bytes_.rfind('/', end - 1);
    return bytes_.substr(slash + 1, end - slash - 1); // npos + 1 is 0
}

std::vector<DiskEntry> FindOnDisk(const RegisterPath& path) {
    std::string_view gbPath = path.Text();
    if (gbPath.empty()) return {};
    if (std::optional<std::string> folder = SessionFolder(gbPath))
        return WalkFrom(gbPath.substr(FolderPartLength(gbPath)), *folder);
    return WalkFrom(gbPath, "");
}

std::vector<DiskEntry> FindOnDisk(const RealPath& folder, const RegisterPath& below) {
    if (folder.empty() || below.Text().empty()) return {};
    return WalkFrom(below.Text(), folder.Bytes());
}

bool DiskEntry::StillSame() const {
    Reaching(real.Bytes());
    struct stat st;
    return stat(real.c_str(), &st) == 0 && st.st_dev == dev && st.st_ino == ino;
}

RealPath ResolvePath(const RegisterPath& path) {
    std::vector<DiskEntry> found = FindOnDisk(path);
    if (!found.empty()) return std::move(found.front().real);
    // Nothing fits: the path of a file to create. The existing part is followed as far as it
    // goes (exact name first, else the first case variant, so that a new file lands in an
    // existing variant of its folder or reuses a variant of its own name); the rest is the
    // register text in UTF-8.
    const SplitPath split = Split(path.Text());
    std::string real = Root(split);
    bool parentExists = true;
    for (std::string_view comp : split.comps) {
        real = WithSlash(std::move(real));
        const std::string exact = GbToUtf8(comp);
        if (!parentExists || comp == "." || comp == "..") {
            real += exact;
            continue;
        }
        const std::string dir = FolderToList(real);
        std::optional<FolderStat> folder = StatFolder(dir);
        std::vector<std::string> names;
        if (folder) names = NamesOfForm(AT_FDCWD, dir, *folder, UpperCase(comp), comp);
        if (names.empty()) {
            real += exact;
            parentExists = false;
        } else {
            const bool spelled = std::find(names.begin(), names.end(), exact) != names.end();
            real += spelled ? exact : names.front();
        }
    }
    return RealPath(split.trailing ? WithSlash(std::move(real)) : real);
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

EntryKind KindOf(const RegisterPath& path) {
    std::vector<DiskEntry> found = FindOnDisk(path);
    return found.empty() ? EntryKind::None : KindOfMode(found.front().mode);
}

EntryKind KindOf(const RealPath& path) {
    Reaching(path.Bytes());
    struct stat st;
    return stat(path.c_str(), &st) != 0 ? EntryKind::None : KindOfMode(st.st_mode);
}

bool NothingThere(const RealPath& path) {
    Reaching(path.Bytes());
    struct stat st;
    return stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

bool FileExists(const RegisterPath& path) {
    return KindOf(path) == EntryKind::File;
}

bool FileExists(const RealPath& path) {
    return KindOf(path) == EntryKind::File;
}

bool DirectoryExists(const RegisterPath& path) {
    return KindOf(path) == EntryKind::Folder;
}

bool DirectoryExists(const RealPath& path) {
    return KindOf(path) == EntryKind::Folder;
}

bool AnyFileExists(const RegisterPath& path) {
    std::vector<DiskEntry> found = FindOnDisk(path);
    return std::any_of(found.begin(), found.end(),
                       [](const DiskEntry& e) { return S_ISREG(e.mode); });
}

void ClearResolverCache() {
    Listings().Clear();
    SessionState& sessions = Sessions();
    std::lock_guard lock(sessions.mutex);
    sessions.folders.clear();
}

ResolverSession::ResolverSession() {
    SessionState& sessions = Sessions();
    std::lock_guard lock(sessions.mutex);
    ++sessions.open;
}

ResolverSession::~ResolverSession() {
    SessionState& sessions = Sessions();
    std::lock_guard lock(sessions.mutex);
    if (--sessions.open == 0) sessions.folders.clear();
}

bool NameOfFormTaken(const FolderHandle& folder, std::string_view gbName) {
    const std::optional<FolderStat> stat = StatFolder(folder);
    if (!stat) return true;
    const std::string dir = kInHeldFolder;
    for (const std::string& name :
         NamesOfForm(folder.Descriptor(), dir, *stat, UpperCase(gbName), gbName)) {
        struct stat st;
        if (fstatat(folder.Descriptor(), (dir + name).c_str(), &st, 0) == 0) return true;
    }
    return false;
}

FolderEntryChange::FolderEntryChange(const RealPath& entry)
    : FolderEntryChange(entry.Folder().Bytes(), entry.Name(), nullptr) {}

FolderEntryChange::FolderEntryChange(const FolderHandle& folder, std::string name)
    : FolderEntryChange({}, std::move(name), &folder) {}

FolderEntryChange::FolderEntryChange(std::string folder, std::string name, const FolderHandle* held)
    : folder_(std::move(folder)), name_(std::move(name)), held_(held) {
    if (std::optional<FolderStat> stat = held_ ? StatFolder(*held_) : StatFolder(folder_)) {
        known_ = true;
        dev_ = stat->id.dev;
        ino_ = stat->id.ino;
        before_ = stat->mtime;
    }
}

void FolderEntryChange::Added() {
    Patch(true);
}

void FolderEntryChange::Removed() {
    Patch(false);
}

void FolderEntryChange::Patch(bool added) {
    if (!known_) return;
    std::optional<FolderStat> now = held_ ? StatFolder(*held_) : StatFolder(folder_);
    const std::string form = RegisterFormOfName(name_);
    Listings().Patch({dev_, ino_}, [&](DirListing& listing) {
        // Current: as before the change, or already brought up to date (a rename within one
        // folder patches it twice; a lookup after the change read it again).
        bool current = now && now->id == TFileId{dev_, ino_} &&
                       (SameTime(listing.mtime, before_) || SameTime(listing.mtime, now->mtime));
        // With two names of one form the survivor of a removal is known only to a new read.
        if (!current || (!added && listing.shared.contains(form))) return false;
        if (added) {
            auto all = listing.shared.find(form);
            auto first = listing.byRegisterForm.find(form);
            bool known = all != listing.shared.end()
                             ? std::binary_search(all->second.begin(), all->second.end(), name_)
                             : first != listing.byRegisterForm.end() && first->second == name_;
            if (!known) AddName(listing, form, name_);
        } else if (auto entry = listing.byRegisterForm.find(form);
                   entry != listing.byRegisterForm.end() && entry->second == name_) {
            listing.byRegisterForm.erase(entry);
            --listing.names;
        }
        listing.mtime = now->mtime;
        return true;
    });
}
