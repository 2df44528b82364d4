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
    data.dirs = ReadListFile(paths.dirsList);
    data.exts = ReadListFile(paths.extList);
    std::exception_ptr loadError;
    try {
        LoadRegister(reg, paths.vdb);
    } catch (...) {
        loadError = std::current_exception();
    }
    data.query = IniReadStringDef(paths.ini, "START", "edCont", data.query);
    data.soundLevel =
        ParseInt(IniReadString(paths.ini, "START", "SoundLevel")).value_or(data.soundLevel);
    if (loadError) std::rethrow_exception(loadError);
}
