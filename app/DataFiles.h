// The window's data files (register, settings, lists) in a data folder that may lie on a
// share: every read and write goes to a worker with the disk deadline, so a folder that
// stops answering costs one wait and one history line, never a frozen window.
#pragma once

#include "app/DataFolder.h"
#include "platform/disks/DiskCalls.h"
#include "platform/ui/Shell.h"
#include "register/DataPaths.h"
#include "register/GridStore.h"
#include "register/StartupData.h"

#include <optional>
#include <string>
#include <vector>

// ChooseDataFolder for this program on a worker with the disk deadline: a home folder on a
// share that does not answer gives the per-user folder, marked not answering.
DataFolder ChooseDataFolderInTime();

class TDataFiles {
public:
    TDataFiles(IShell& shell, const std::string& folder);
    TDataFiles(const TDataFiles&) = delete;
    TDataFiles& operator=(const TDataFiles&) = delete;

    const DataPaths& Paths() const { return paths_; }
    const std::string& Folder() const { return folder_; }

    // The folder was found not answering before the window came (the data folder's choice).
    void MarkNotAnswering() { calls_.MarkNotAnswering(paths_.vdb); }
    // What the start reads, in one call; nothing when the folder does not answer: the
    // history says so, and no setting or list is written over the unread files afterwards.
    std::optional<TStartFiles> ReadAtStart(StartupData defaults);
    // A value of section "START" written; nothing is written when the folder did not answer
    // at start or stopped answering since. Throws EFileError as IniWriteString.
    void WriteSetting(const char* key, std::string value);
    // A list file replaced, under the same rule. Throws EFileError as WriteListFile.
    void WriteList(const std::string& path, std::vector<std::string> items);
    // The register file read again, waited for with the window answering. Throws as
    // ReadRegisterFile.
    TRegisterFile ReadRegister();

private:
    IShell& shell_;
    std::string folder_;
    DataPaths paths_;
    TDiskCalls calls_;
    bool read_ = false; // the start read the folder: its files may be replaced
};
