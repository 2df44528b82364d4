// Where the program keeps its four data files, and how they come along into the per-user
// folder of an installed copy.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

// The folder of the data files, with its trailing separator (GB18030): DataFolderFor the
// folder of the program file and the user's own data folder ("tavlora" in the XDG data
// home, usually ~/.local/share/tavlora), after BringDataFilesAlong; and the history lines
// that it gave.
struct DataFolder {
    std::string dir;
    QStringList notices;
    bool answering = true; // false: the folder's disk did not answer the choice
};
DataFolder ChooseDataFolder(const QString& exeDir, const QString& perUserDir);
// "tavlora" in the XDG data home; no disk call.
QString PerUserDataDir();

// A copy of the program in a folder the user may write to keeps its files beside itself
// (portable); an installed copy (in /usr, or any folder the user may not write to) keeps
// them in perUserDir, which is created when missing. Both without trailing separator.
QString DataFolderFor(const QString& exeDir, const QString& perUserDir);

// When the data files live in a folder other than the program's, each one that folder lacks
// and that lies beside the program (a regular file) is copied in whole: under a temporary
// name, checked, then given its own name, which never replaces a file already there. A copy
// that fails leaves nothing behind, so the next start tries again. Returns the history
// lines: where the files now live when any came along, and which could not come and why.
QStringList BringDataFilesAlong(const QString& exeDir, const QString& dataDir);
