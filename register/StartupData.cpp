#include "register/StartupData.h"

#include "platform/GbText.h"
#include "register/GridStore.h"
#include "register/IniFile.h"
#include "register/ListFiles.h"

#include <exception>

StartupData LoadStartupData(const DataPaths& paths, VideoRegister& reg,
                            const std::string& currentQuery, int currentSoundLevel) {
    StartupData data;
    data.query = currentQuery;
    data.soundLevel = currentSoundLevel;
    LoadStartupData(paths, reg, data);
    return data;
}

void LoadStartupData(const DataPaths& paths, VideoRegister& reg, StartupData& data) {
    // Every step runs even when an earlier one failed, so that one unreadable file does not
    // keep the others (the register above all) from the window; the first failure is
    // reported at the end.
    std::exception_ptr firstError;
    auto step = [&](const auto& work) {
        try {
            work();
        } catch (...) {
            if (!firstError) firstError = std::current_exception();
        }
    };
    step([&] { data.dirs = ReadListFile(paths.dirsList); });
    step([&] { data.exts = ReadListFile(paths.extList); });
    step([&] { LoadRegister(reg, paths.vdb); });
    step([&] { data.query = IniReadStringDef(paths.ini, "START", "edCont", data.query); });
    step([&] {
        data.soundLevel =
            ParseInt(IniReadString(paths.ini, "START", "SoundLevel")).value_or(data.soundLevel);
    });
    if (firstError) std::rethrow_exception(firstError);
}
