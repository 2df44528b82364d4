// The start-up load of the lists, the register and the two settings the window restores.
#pragma once

#include "platform/DataFolder.h"
#include "register/VideoRegister.h"

#include <optional>
#include <string>
#include <vector>

struct StartupData {
    std::vector<std::string> dirs; // location list, file order (lstDirs sorts them itself)
    std::vector<std::string> exts; // type list, file order
    std::string query;             // "edCont", or the field's current text when missing
    int soundLevel = 0;            // "SoundLevel", or the bar's current position
};

// Reads the list files, loads the register, then reads "edCont" and "SoundLevel" from
// section "START". A file that cannot be read leaves its defaults (a register that cannot
// be read leaves the blank register); the first error is rethrown after every other step
// has run, so the window can still start.
StartupData LoadStartupData(const DataPaths& paths, VideoRegister& reg,
                            const std::string& currentQuery, int currentSoundLevel);
// The same into `data`, whose query and sound level hold the current values on entry; on a
// failure `data` keeps everything that could be read, so the caller can still use that.
void LoadStartupData(const DataPaths& paths, VideoRegister& reg, StartupData& data);
