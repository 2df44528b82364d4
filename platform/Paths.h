// Paths. Every path the program handles is GB18030 text with "/" as separator; register
// paths are upper case. The file system is case-sensitive, so each access goes through
// ResolvePath, which finds the real name of every component as a case-insensitive file
// system would.
#pragma once

#include <QString>
#include <ctime>
#include <string>
#include <string_view>

// The folder of the data files, with its trailing separator (GB18030): DataFolderFor the
// folder of the program file and the user's own data folder ("tavlora" in the XDG data
// home, usually ~/.local/share/tavlora).
std::string ProgramDir();

// A copy of the program in a folder the user may write to keeps its files beside itself
// (portable); an installed copy (in /usr, or any folder the user may not write to) keeps
// them in perUserDir, which is created when missing. Both without trailing separator.
QString DataFolderFor(const QString& exeDir, const QString& perUserDir);

struct DataPaths {
    std::string vdb;      // "视频登记库.vdb"
    std::string ini;      // "系统参数.INI"
    std::string dirsList; // "搜索路径.txt"
    std::string extList;  // "搜索类型.txt"
};
DataPaths MakeDataPaths(const std::string& programDir);

// The real (UTF-8 or raw byte) path on disk for a GB18030 path: each component is matched
// exactly first, then by its register form (GB18030, a-z upper-cased). Components that do
// not exist are converted to UTF-8 as they stand, so the result also names a file to create.
std::string ResolvePath(std::string_view gbPath);

// The register form of a name on disk: the name as GB18030 text, upper-cased; a name that
// is not valid UTF-8 is taken as GB18030 bytes as they stand.
std::string RegisterFormOfName(std::string_view diskName);

bool FileExists(std::string_view gbPath);      // a regular file (or anything but a folder)
bool DirectoryExists(std::string_view gbPath); // a folder

// Forgets the cached listings (after the program itself renamed or created entries), and
// the folders remembered by the open ResolverSessions.
void ClearResolverCache();

// While one lives, ResolvePath remembers the real path of each existing folder it resolved,
// so that the rows of one command that share a folder resolve only their file names (a deep
// upper-case folder costs two stat calls per component otherwise). Open one around a
// command that touches many files and does not itself create, remove or rename folders
// other than through SystemMoveFile (which forgets them); sessions may nest.
class ResolverSession {
public:
    ResolverSession();
    ~ResolverSession();
    ResolverSession(const ResolverSession&) = delete;
    ResolverSession& operator=(const ResolverSession&) = delete;
};

// Keeps the cached listing of one folder current across a change that the program itself
// makes to one entry of it, so that a long run of creations, deletions or renames in a
// large folder does not read the folder again after each. Make it just before the change
// (it notes the folder's modification time) and call Added or Removed after a successful
// change. A listing that was not current before the change is dropped instead.
class FolderEntryChange {
public:
    explicit FolderEntryChange(std::string_view realPath); // the entry's real path
    void Added();
    void Removed();

private:
    void Patch(bool added);

    std::string folder_; // with its trailing separator, as the listings are keyed
    std::string name_;
    timespec before_{};
    bool known_ = false;
};
