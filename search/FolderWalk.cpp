#include "search/FolderWalk.h"

#include "platform/fs/FileCalls.h"
#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "platform/ui/Shell.h"

#include <optional>

namespace {

std::string WithSeparator(const std::string& path) {
    return !path.empty() && path.back() == '/' ? path : path + '/';
}

constexpr const char* kNotAnswering = "文件夹无响应，未搜索: ";

bool Broken() {
    return BreakFlag;
}

} // namespace

TFolderWalk::TFolderWalk(std::vector<TSearchFolder>& list, IShell& shell, unsigned readsInFlight)
    : list_(list), shell_(shell), lookups_({}, Broken, QEventLoop::AllEvents),
      readAhead_(readsInFlight), pace_(shell) {}

void TFolderWalk::WalkLocation(const std::string& location) {
    const uint32_t position = locations_++;
    if (BreakFlag) {
        list_.emplace_back().path = location;
        return;
    }
    // Below a relative location the files would be registered as the working folder has
    // them at the moment of the search.
    if (!location.starts_with('/')) {
        NotSearched("不是完整路径，未搜索: ", location);
        return;
    }
    // The location is a register path; everything below it is named by the file system.
    // Every folder that fits it is searched ("Videos" and "videos" alike), so no file is
    // left out unseen. A folder on one of the kernel's own file systems is left out as a
    // mount point of one is: its links lead back into the whole machine.
    struct Found {
        std::vector<DiskEntry> folders;
        bool kernel = false;
    };
    const auto found = lookups_.Call(location, [location] {
        Found f{FindOnDisk(RegisterPath(location))};
        f.kernel = std::erase_if(f.folders, [](const DiskEntry& e) {
                       return IsFolderMode(e.mode) && IsKernelFileSystem(e.dev);
                   }) > 0;
        return f;
    });
    if (!found) {
        if (!BreakFlag) NotSearched(kNotAnswering, location);
        return;
    }
    if (found->kernel) NotSearched("内核文件系统，未搜索: ", location);
    std::optional<size_t> index;
    bool missed = false;
    for (uint32_t i = 0; i < found->folders.size(); ++i) {
        const DiskEntry& folder = found->folders[i];
        if (!IsFolderMode(folder.mode) || !entered_.insert({folder.dev, folder.ino}).second)
            continue;
        const TFolderReadAhead::Key key{position, i};
        std::vector<TFolderEntry> entries;
        switch (
            readAhead_.Take(folder.real.Bytes(), folder.dev, folder.ino, key, entries, Broken)) {
        case TFolderReadAhead::Answer::Stopped:
            // Counted as a walk that breaks before reading it counts it.
            if (!index) list_.emplace_back().path = location;
            return;
        case TFolderReadAhead::Answer::NotAnswering:
            missed = true;
            lookups_.MarkDeviceNotAnswering(folder.dev);
            NotSearched(kNotAnswering, location);
            break;
        case TFolderReadAhead::Answer::Listed:
            if (!index) {
                list_.emplace_back().path = location;
                index = list_.size() - 1;
            }
            CollectSubDirs(*index, std::move(entries), folder.real.Bytes(), key);
        }
    }
    if (!index && !missed && !found->kernel) list_.emplace_back().path = location;
}

void TFolderWalk::CollectSubDirs(size_t index, std::vector<TFolderEntry> entries,
                                 const std::string& real, const TFolderReadAhead::Key& key) {
    const std::string base = WithSeparator(list_[index].path);
    const std::string realBase = WithSeparator(real);
    list_[index].realFolders.emplace_back(list_[index].fileNames.size(), realBase);
    TFolderReadAhead::Key subKey = key;
    subKey.push_back(0);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (BreakFlag) break;
        subKey.back() = uint32_t(i);
        TFolderEntry e = std::move(entries[i]);
        std::string subReal = realBase + e.name;
        if (e.kind == TFolderEntry::Kind::Link) {
            // What the link leads to, looked up on its own: a dead target costs this entry.
            std::vector<TFolderEntry> target;
            switch (readAhead_.Take(subReal, e.dev, e.ino, subKey, target, Broken, true)) {
            case TFolderReadAhead::Answer::Stopped:
                return;
            case TFolderReadAhead::Answer::NotAnswering:
                NotSearched(kNotAnswering, base + RegisterFormOfName(e.name));
                pace_.Pump();
                continue;
            case TFolderReadAhead::Answer::Listed:
                if (target.empty()) continue; // dangling, or neither file nor folder
                target.front().name = std::move(e.name);
                e = std::move(target.front());
            }
        }
        if (e.kind == TFolderEntry::Kind::File) {
            list_[index].fileNames.push_back(RegisterFormOfName(e.name));
            list_[index].realNames.push_back(std::move(e.name));
        } else if (entered_.insert({e.dev, e.ino}).second) {
            std::string full = base + RegisterFormOfName(e.name);
            shell_.SetStatusText(1, GbToQString(full));
            std::vector<TFolderEntry> sub;
            switch (readAhead_.Take(subReal, e.dev, e.ino, subKey, sub, Broken)) {
            case TFolderReadAhead::Answer::Stopped:
                list_.emplace_back().path = std::move(full);
                return;
            case TFolderReadAhead::Answer::NotAnswering:
                lookups_.MarkDeviceNotAnswering(e.dev);
                NotSearched(kNotAnswering, full);
                break;
            case TFolderReadAhead::Answer::Listed:
                list_.emplace_back().path = std::move(full);
                CollectSubDirs(list_.size() - 1, std::move(sub), subReal, subKey);
            }
        }
        pace_.Pump();
    }
}

void TFolderWalk::NotSearched(const char* why, const std::string& gbPath) {
    shell_.AddHistory(QString::fromUtf8(why) + GbToQString(gbPath));
}
