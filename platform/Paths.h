// Paths. Every path the program handles is GB18030 text with "/" as separator; register
// paths are upper case. The file system is case-sensitive, so each access goes through
// ResolvePath, which finds the real name of every component as a case-insensitive file
// system would.
#pragma once

#include <QString>
#include <ctime>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// The folder of the data files, with its trailing separator (GB18030): DataFolderFor the
// folder of the program file and the user's own data folder ("tavlora" in the XDG data
// home, usually ~/.local/share/tavlora), after BringDataFilesAlong; and the history line
// that it gave (empty when there is nothing to say).
struct DataFolder {
    std::string dir;
    QString notice;
};
DataFolder ChooseDataFolder();

// A copy of the program in a folder the user may write to keeps its files beside itself
// (portable); an installed copy (in /usr, or any folder the user may not write to) keeps
// them in perUserDir, which is created when missing. Both without trailing separator.
QString DataFolderFor(const QString& exeDir, const QString& perUserDir);

// When the data files live in a folder other than the program's and that folder holds none
// of them yet, the ones lying beside the program (regular files only) are copied there
// first. Returns the history line that says where the files now live, or "" when they live
// beside the program or the folder had some of them already.
QString BringDataFilesAlong(const QString& exeDir, const QString& dataDir);

struct DataPaths {
    std::string vdb;      // "视频登记库.vdb"
    std::string ini;      // "系统参数.INI"
    std::string dirsList; // "搜索路径.txt"
    std::string extList;  // "搜索类型.txt"
};
DataPaths MakeDataPaths(const std::string& programDir);

// An entry on disk that a GB18030 path names: its real (UTF-8 or raw byte) path and what
// stat tells of it (links followed).
struct DiskEntry {
    std::string real;
    dev_t dev = 0;
    ino_t ino = 0;
    mode_t mode = 0;
};

// Every entry on disk that the path names, one per file (device and inode). Each component
// is matched exactly first, then by its register form (GB18030, a-z upper-cased): a
// component spelled exactly as on disk wins when it leads to the rest of the path; otherwise
// every case variant that leads on counts ("Videos" and "videos" both fit VIDEOS). The exact
// spelling comes first, then the variants in byte order. More than one entry means the path
// is ambiguous: commands that change files refuse it.
std::vector<DiskEntry> FindOnDisk(std::string_view gbPath);

// The real path for reading: the first entry that FindOnDisk gives. When none exists, the
// path to create: the existing part followed as far as it goes (an existing case variant of
// a folder or of the name itself is reused), the rest converted to UTF-8 as it stands.
std::string ResolvePath(std::string_view gbPath);

// The register form of a name on disk: the name as GB18030 text, upper-cased; a name that
// is not valid UTF-8 is taken as GB18030 bytes as they stand.
std::string RegisterFormOfName(std::string_view diskName);

// The GB18030 path that resolves exactly to a real path: each component converted from
// UTF-8, a component that is not valid UTF-8 kept as its raw bytes.
std::string GbPathOfReal(std::string_view realPath);

// What the entry that ResolvePath reads is. Only a regular file counts as a file: a pipe,
// device or socket is Other and is never opened for reading.
enum class EntryKind { None, File, Folder, Other };
EntryKind KindOf(std::string_view gbPath);
bool FileExists(std::string_view gbPath);      // KindOf is File
bool DirectoryExists(std::string_view gbPath); // KindOf is Folder
// Whether any entry that the path names is a regular file (the purge keeps such rows).
bool AnyFileExists(std::string_view gbPath);

// Forgets the cached listings (after the program itself renamed or created entries), and
// the folders remembered by the open ResolverSessions.
void ClearResolverCache();

// While one lives, the resolver remembers the real path of each folder it resolved that one
// folder alone fits, so that the rows of one command that share a folder resolve only their file
// names (a deep upper-case folder costs two stat calls per component otherwise). Open one around a
// command that touches many files and does not itself create, remove or rename folders
// other than through SystemMoveFile (which forgets them); sessions may nest.
class ResolverSession {
public:
    ResolverSession();
    ~ResolverSession();
    // Until the last session ends, paths in the folder `gbFolder` (ending in the separator)
    // resolve in `realFolder` only: a folder the user picked, or the real folder of a file,
    // is used as it is and never matched again by case.
    void Pin(std::string_view gbFolder, std::string realFolder);
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
