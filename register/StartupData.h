// The start-up load of the lists, the register and the settings the window restores.
#pragma once

#include "register/DataPaths.h"
#include "register/GridStore.h"
#include "register/VideoRegister.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

struct StartupData {
    std::vector<std::string> dirs; // location list, file order (lstDirs sorts them itself)
    std::vector<std::string> exts; // type list, file order
    std::string query;             // "edCont", or the field's current text when missing
    int soundLevel = 0;            // "SoundLevel", or the bar's current position
    // "WindowsL", "WindowsT", "WindowsW", "WindowsH" where they hold a number.
    std::optional<int> left, top, width, height;
};

// Everything the start reads from the data folder, in one call that a worker can make.
struct TStartFiles {
    StartupData data;
    TRegisterFile reg;
    std::string unread;       // why the register file could not be read; "" when it was
    std::exception_ptr error; // the first failure
};
// Reads the list files, the register's rows, then "edCont", "SoundLevel" and the placement
// from section "START". A file that cannot be read leaves its defaults; every step runs even
// after an earlier one failed, so that one unreadable file does not keep the others (the
// register above all) from the window. Throws nothing: the first failure is kept.
TStartFiles ReadStartFiles(const DataPaths& paths, StartupData defaults);
// Puts the register read into `reg` (the blank register, marked unread, when it could not
// be read), then rethrows the first failure.
void PutStartFiles(VideoRegister& reg, TStartFiles& files);

// Both steps at once. `data` holds the current query and sound level on entry; on a failure
// it keeps everything that could be read, so the caller can still use that.
void LoadStartupData(const DataPaths& paths, VideoRegister& reg, StartupData& data);
StartupData LoadStartupData(const DataPaths& paths, VideoRegister& reg,
                            const std::string& currentQuery, int currentSoundLevel);
