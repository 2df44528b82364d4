#include "register/StartupData.h"

#include "platform/text/GbText.h"
#include "register/IniFile.h"
#include "register/ListFiles.h"

TStartFiles ReadStartFiles(const DataPaths& paths, StartupData defaults) {
    TStartFiles files;
    StartupData& data = files.data;
    data = std::move(defaults);
    auto step = [&](const auto& work) {
        try {
            work();
        } catch (const std::exception& e) {
            if (!files.error) files.error = std::current_exception();
            return std::string(e.what());
        } catch (...) {
            if (!files.error) files.error = std::current_exception();
            return std::string("?");
        }
        return std::string();
    };
    step([&] { data.dirs = ReadListFile(paths.dirsList); });
    step([&] { data.exts = ReadListFile(paths.extList); });
    files.unread = step([&] { files.reg = ReadRegisterFile(paths.vdb); });
    step([&] { data.query = IniReadStringDef(paths.ini, "START", "edCont", data.query); });
    auto number = [&](const char* key) { return ParseInt(IniReadString(paths.ini, "START", key)); };
    step([&] {
        data.soundLevel = number("SoundLevel").value_or(data.soundLevel);
        data.left = number("WindowsL");
        data.top = number("WindowsT");
        data.width = number("WindowsW");
        data.height = number("WindowsH");
    });
    return files;
}

void PutStartFiles(VideoRegister& reg, TStartFiles& files) {
    if (files.unread.empty())
        PutRegisterFile(reg, std::move(files.reg));
    else
        PutUnreadRegister(reg, files.unread);
    if (files.error) std::rethrow_exception(files.error);
}

void LoadStartupData(const DataPaths& paths, VideoRegister& reg, StartupData& data) {
    TStartFiles files = ReadStartFiles(paths, data);
    data = files.data;
    PutStartFiles(reg, files);
}

StartupData LoadStartupData(const DataPaths& paths, VideoRegister& reg,
                            const std::string& currentQuery, int currentSoundLevel) {
    StartupData data;
    data.query = currentQuery;
    data.soundLevel = currentSoundLevel;
    LoadStartupData(paths, reg, data);
    return data;
}
