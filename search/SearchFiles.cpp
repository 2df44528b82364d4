#include "search/SearchFiles.h"

#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "platform/ui/Shell.h"
#include "register/GridStore.h"
#include "register/NewRecord.h"

#include <algorithm>

bool ListMatchingFiles(TFileList& list, TUnlisted& unlisted, const TSearchFolder& folder,
                       const TFileTypes& types, TEventPace& pace) {
    std::vector<uint64_t> matches; // the type's index above, the file's below: listing order
    const uint32_t weight = 1 + types.WildcardCount();
    for (size_t i = 0; i < folder.fileNames.size(); ++i) {
        if (pace.Step(weight)) return false;
        const uint32_t type = types.FirstMatch(folder.fileNames[i]);
        if (type != TFileTypes::kNone) matches.push_back(uint64_t(type) << 32 | i);
    }
    std::sort(matches.begin(), matches.end());
    std::string base = folder.path;
    if (base.empty() || base.back() != '/') base += '/';
    const size_t baseLength = base.size();
    for (const uint64_t match : matches) {
        const size_t i = uint32_t(match);
        base.resize(baseLength);
        base += folder.fileNames[i];
        if (!StorablePath(base))
            unlisted.unstorable.Add(base);
        else if (!list.Add(base))
            unlisted.twins.push_back(folder.RealPathOf(i));
    }
    return true;
}

void FillRegister(VideoRegister& reg, const TFileList& files) {
    VideoRegister::BulkChange bulk(reg);
    size_t next = 0;
    if (files.Count() > 0 && reg.Cell(colPath, reg.LastRow()).empty()) {
        // Only the cells of a record are written: other cells of that row stay.
        WriteNewRecord(reg, reg.LastRow(), files[0]);
        next = 1;
    }
    std::vector<PackedRow> rows;
    rows.reserve(files.Count() - next);
    for (; next < files.Count(); ++next)
        rows.push_back(NewRecord(files[next]));
    reg.AppendRows(std::move(rows));
    RenumberRows(reg);
}

void SearchFiles(bool append, const std::vector<std::string>& dirs,
                 const std::vector<std::string>& exts, TSearchWork& work, VideoRegister& reg,
                 IShell& shell, unsigned readsInFlight) {
    {
        TFolderWalk walk(work.lstDirectory, shell, readsInFlight);
        for (const std::string& dir : dirs)
            walk.WalkLocation(dir);
    }
    if (BreakFlag) return;

    const TFileTypes types(exts);
    TUnlisted unlisted;
    TEventPace pace(shell);
    for (const TSearchFolder& folder : work.lstDirectory) {
        if (types.Empty()) break;
        shell.SetStatusText(1, QString::fromUtf8("搜索文件夹 ") + GbToQString(folder.path));
        if (!ListMatchingFiles(work.lstFiles, unlisted, folder, types, pace)) break;
    }
    if (BreakFlag) return;

    const QString unfit = QString::fromUtf8("无法登记的文件名: ");
    for (size_t i = 0; i < unlisted.unstorable.Count(); ++i)
        shell.AddHistory(UnstorablePathLine(unlisted.unstorable[i]));
    for (const std::string& twin : unlisted.twins)
        shell.AddHistory(unfit + GbToQString(GbPathOfReal(twin)) +
                         QString::fromUtf8("（与已登记的文件只有字母大小写不同）"));

    if (!append) ClearRegister(reg);
    FillRegister(reg, work.lstFiles);
}
