// The folder search that fills the video register: the walk (phase 1), the listing of the
// matching files (phase 2) and the register fill (phase 3).
#pragma once

#include "search/EventPace.h"
#include "search/FileTypes.h"
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
};

// Appends base + name of each file of the folder that one of the types selects to the
// list, in the order of a listing type after type: by the position of the file's type in
// the list, then by the file's position in the folder. A file that cannot be listed goes
// to `unlisted`. Events are processed through `pace`; false when a break stopped the
// listing part way.
bool ListMatchingFiles(TFileList& list, TUnlisted& unlisted, const TSearchFolder& folder,
                       const TFileTypes& types, TEventPace& pace);

// Writes one record per path of the list: into the empty last row first (a last row
// whose path cell is empty), then into new rows at the bottom; renumbers all rows.
void FillRegister(VideoRegister& reg, const TFileList& files);

// Runs the three phases over the locations `dirs` and the types `exts`. Phase 2 runs only
// when BreakFlag is still false after the walk and processes events as the walk does,
// phase 3 only when BreakFlag is false after phase 2; a new search (append false) clears the
// register in phase 3, so a broken search changes no row. The work lists must be empty at the
// start. `readsInFlight` folders are read at a time, ahead of the walk; what the search shows does
// not depend on it.
void SearchFiles(bool append, const std::vector<std::string>& dirs,
                 const std::vector<std::string>& exts, TSearchWork& work, VideoRegister& reg,
                 IShell& shell, unsigned readsInFlight = kSearchReadsInFlight);
