// Paths. The file system is case-sensitive while register paths (GB18030, upper case) are
// not, so a register path reaches the disk only through FindOnDisk or ResolvePath, which
// match each component by case as a case-insensitive file system would. A real path (the
// bytes the disk or a dialog gave) is never matched by case.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

class FolderHandle;

// A register path: GB18030 text as a cell or a search location holds it (upper case, "/" as
// separator). It is the only kind of path that is ever matched without regard to case.
class RegisterPath {
public:
    explicit RegisterPath(std::string_view gbText) : text_(gbText) {}
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// A real path: the bytes that the disk or a dialog gave, used as they are.
class RealPath {
public:
    RealPath() = default;
    explicit RealPath(std::string bytes) : bytes_(std::move(bytes)) {}
    // A path that the program spells itself (its data files) or that a dialog gave as text,
    // each component converted to UTF-8 as it stands, never matched by case.
    static RealPath OfGb(std::string_view gbPath);
    const std::string& Bytes() const { return bytes_; }
    const char* c_str() const { return bytes_.c_str(); }
    bool empty() const { return bytes_.empty(); }
    // The text for cells and messages (GbPathOfReal).
    std::string Gb() const;
    // The folder that holds the entry, with the trailing separator ("./" for a bare name),
    // and the entry's own name; trailing separators of a folder's path do not count.
    RealPath Folder() const;
    std::string Name() const;
    // The entry `name` (bytes) in this folder.
    RealPath Child(std::string_view name) const;
    bool operator==(const RealPath&) const = default;

private:
    std::string bytes_;
};

// An entry on disk that a register path names: its real path and what stat tells of it
// (links followed). A command resolves a row to one entry before any dialog and acts on
// that entry afterwards, asking first whether its path still leads to the same file.
struct DiskEntry {
    RealPath real;
    dev_t dev = 0;
    ino_t ino = 0;
    mode_t mode = 0;

    bool SameFileAs(const DiskEntry& other) const { return dev == other.dev && ino == other.ino; }
    // Whether the real path still leads to this file (device and inode): nobody replaced,
    // removed or renamed it since it was found.
    bool StillSame() const;
};

// Every entry on disk that the path names, one per file (device and inode). Each component
// is matched by its register form (GB18030, a-z upper-cased), so every case variant counts
// ("FOO", "Foo" and "foo" all fit FOO); the exact spelling only orders the list: the entry
// reached through exactly spelled components comes first, then the variants in byte order.
// More than one entry means the path is ambiguous: commands that change files refuse it.
// Each folder is expanded once per component, however many links lead to it, so a tree of
// links costs no more than the folders it really holds. Safe to call from several threads
// at once; no lock is held while the file system is asked.
std::vector<DiskEntry> FindOnDisk(const RegisterPath& path);
// The same below a real folder (a folder the user picked, or the checked folder of a file),
// which is used as it is: only the relative register path `below` is matched by case.
std::vector<DiskEntry> FindOnDisk(const RealPath& folder, const RegisterPath& below);

// The real path for reading: the first entry that FindOnDisk gives. When none exists, the
// path to create: the existing part followed as far as it goes (an existing case variant of
// a folder or of the name itself is reused), the rest converted to UTF-8 as it stands.
RealPath ResolvePath(const RegisterPath& path);

// The register form of a name on disk: the name as GB18030 text, upper-cased; a name that
// is not valid UTF-8 is taken as GB18030 bytes as they stand.
std::string RegisterFormOfName(std::string_view diskName);

// The GB18030 path that resolves exactly to a real path: each component converted from
// UTF-8, a component that is not valid UTF-8 kept as its raw bytes.
std::string GbPathOfReal(std::string_view realPath);

// What the entry is (for a register path: the first that FindOnDisk gives). Only a regular
// file counts as a file: a pipe, device or socket is Other and is never opened for reading.
enum class EntryKind { None, File, Folder, Other };
EntryKind KindOf(const RegisterPath& path);
EntryKind KindOf(const RealPath& path);
// Whether nothing is there: the path fails for want of the entry or of a folder on its way,
// not for a loop of links, a permission or a disk error.
bool NothingThere(const RealPath& path);
bool FileExists(const RegisterPath& path); // KindOf is File
bool FileExists(const RealPath& path);
bool DirectoryExists(const RegisterPath& path); // KindOf is Folder
bool DirectoryExists(const RealPath& path);
// Whether any entry that the path names is a regular file (the purge keeps such rows).
bool AnyFileExists(const RegisterPath& path);

// Whether an entry of the folder held open has a name of the register form of `gbName`
// (links followed, as FindOnDisk counts them): the name counts as taken, as on a
// case-insensitive file system. Asked through the handle and the cached listing.
bool NameOfFormTaken(const FolderHandle& folder, std::string_view gbName);

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
    explicit FolderEntryChange(const RealPath& entry);
    // The entry `name` of a folder held open, asked through the handle (no path walked).
    FolderEntryChange(const FolderHandle& folder, std::string name);
    void Added();
    void Removed();

private:
    FolderEntryChange(std::string folder, std::string name, const FolderHandle* held);
    void Patch(bool added);

    std::string folder_; // with its trailing separator; none for a folder held open
    std::string name_;
    const FolderHandle* held_ = nullptr;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
    timespec before_{};
    bool known_ = false;
};
