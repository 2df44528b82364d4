#include "search/SearchFiles.h"

#include "platform/GbText.h"
#include "platform/Paths.h"
#include "register/GridStore.h"
#include "register/NewRecord.h"
#include "register/Shell.h"
#include "search/Wildcard.h"

void ListMatchingFiles(TFileList& list, TUnlisted& unlisted, const TSearchFolder& folder,
                       std::string_view pattern) {
    if (unlisted.folder != &folder) {
        unlisted.folder = &folder;
        unlisted.taken.assign(folder.fileNames.size(), 0);
    }
    std::string base = folder.path;
    if (base.empty() || base.back() != '/') base += '/';
    const size_t baseLength = base.size();
    for (size_t i = 0; i < folder.fileNames.size(); ++i) {
        const std::string& name = folder.fileNames[i];
        if (unlisted.taken[i] || !MatchFilePattern(pattern, name)) continue;
        unlisted.taken[i] = 1;
        base.resize(baseLength);
        base += name;
        if (!StorablePath(base))
            unlisted.unstorable.Add(base);
        else if (!list.Add(base))
            unlisted.twins.push_back(folder.RealPathOf(i));
    }
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

    std::vector<std::string> patterns;
    for (const std::string& ext : exts)
        patterns.push_back("*." + ext);
    TUnlisted unlisted;
    for (const TSearchFolder& folder : work.lstDirectory) {
        if (patterns.empty()) break;
        // Nothing repaints during the listing, so one status text per folder shows the same.
        shell.SetStatusText(1, QString::fromUtf8("搜索文件夹 ") + GbToQString(folder.path));
        for (const std::string& pattern : patterns)
            ListMatchingFiles(work.lstFiles, unlisted, folder, pattern);
    }
    const QString unfit = QString::fromUtf8("无法登记的文件名: ");
    for (size_t i = 0; i < unlisted.unstorable.Count(); ++i)
        shell.AddHistory(UnstorablePathLine(unlisted.unstorable[i]));
    for (const std::string& twin : unlisted.twins)
        shell.AddHistory(unfit + GbToQString(GbPathOfReal(twin)) +
                         QString::fromUtf8("（与已登记的文件只有字母大小写不同）"));
    if (BreakFlag) return;

    if (!append) ClearRegister(reg);
    FillRegister(reg, work.lstFiles);
}
