#include "search/SearchFiles.h"

#include "platform/GbText.h"
#include "register/GridStore.h"
#include "register/NewRecord.h"
#include "register/Shell.h"
#include "search/FolderWalk.h"
#include "search/Wildcard.h"

void ListMatchingFiles(TFileList& list, TFileList& unstorable, const TSearchFolder& folder,
                       std::string_view pattern) {
    std::string base = folder.path;
    if (base.empty() || base.back() != '/') base += '/';
    const size_t baseLength = base.size();
    for (const std::string& name : folder.fileNames) {
        if (!MatchFilePattern(pattern, name)) continue;
        base.resize(baseLength);
        base += name;
        if (StorablePath(base))
            list.Add(base);
        else
            unstorable.Add(base);
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
                 IShell& shell) {
    TFolderWalk walk(work.lstDirectory, shell);
    for (const std::string& dir : dirs)
        walk.WalkLocation(dir);
    if (BreakFlag) return;

    std::vector<std::string> patterns;
    for (const std::string& ext : exts)
        patterns.push_back("*." + ext);
    TFileList unstorable;
    for (const TSearchFolder& folder : work.lstDirectory) {
        if (patterns.empty()) break;
        // Nothing repaints during the listing, so one status text per folder shows the same.
        shell.SetStatusText(1, QString::fromUtf8("搜索文件夹 ") + GbToQString(folder.path));
        for (const std::string& pattern : patterns)
            ListMatchingFiles(work.lstFiles, unstorable, folder, pattern);
    }
    for (size_t i = 0; i < unstorable.Count(); ++i)
        shell.AddHistory(QString::fromUtf8("无法登记的文件名: ") + GbToQString(unstorable[i]));
    if (BreakFlag) return;

    if (!append) ClearRegister(reg);
    FillRegister(reg, work.lstFiles);
}
