// The folder search that fills the video register: the walk (phase 1), the listing of the
// matching files (phase 2) and the register fill (phase 3).
#pragma once

#include "search/FolderWalk.h"
#include "search/SearchLists.h"

#include <string>
#include <string_view>
#include <vector>

class IShell;
class VideoRegister;

// The files of a listing that cannot have a row of their own, for the history: names that
// the register cannot store faithfully (StorableCell), and files whose register path
// another file listed earlier already has (names or folders that differ only in letter
// case).
struct TUnlisted {
    TFileList unstorable;
    std::vector<std::string> twins; // the real paths of the files left out
    // The names of the folder in work that an earlier pattern listed already.
    const TSearchFolder* folder = nullptr;
    std::vector<char> taken;
};

// Appends base + name of each file of the folder whose name matches the pattern (see
// MatchFilePattern) to the list; a file that an earlier pattern listed is passed over, one
// that cannot be listed goes to `unlisted`.
void ListMatchingFiles(TFileList& list, TUnlisted& unlisted, const TSearchFolder& folder,
                       std::string_view pattern);

// Writes one record per path of the list: into the empty last row first (a last row
// whose path cell is empty), then into new rows at the bottom; renumbers all rows.
void FillRegister(VideoRegister& reg, const TFileList& files);

// Runs the three phases over the locations `dirs` and the types `exts`. Phase 2 runs only
// when BreakFlag is still false after the walk, phase 3 only when it is false after phase
// 2; a new search (append false) clears the register in phase 3, so a broken search
// changes no row. The work lists must be empty at the start. `readsInFlight` folders are
// read at a time, ahead of the walk; what the search shows does not depend on it.
void SearchFiles(bool append, const std::vector<std::string>& dirs,
                 const std::vector<std::string>& exts, TSearchWork& work, VideoRegister& reg,
                 IShell& shell, unsigned readsInFlight = kSearchReadsInFlight);
