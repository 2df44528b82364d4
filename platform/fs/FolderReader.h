// The listing of one folder as the search walk reads it, made with calls that follow no link
// and mount nothing. A Windows build lists its folders with calls of its own.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

struct TFolderEntry {
    enum class Kind { File, Folder, Link };
    std::string name; // as on disk
    Kind kind;
    dev_t dev; // folders: theirs; links: the listed folder's
    ino_t ino; // folders: theirs; links: the link's own
};

// The regular files (hidden ones included), the folders that are not hidden and the links of
// the folder at the absolute real path `real`, in the order the file system returns them;
// any other entry is left out. Type, device and inode come as the kernel holds them, without
// asking the file system again: a share mounted on a sub-folder that does not answer is found
// out when its own listing is read, not here, and no automount point is triggered. None when
// the folder cannot be read, or no longer is the folder (device, inode) meant. A path longer
// than the system's limit is opened piece by piece.
std::vector<TFolderEntry> ListFolder(const std::string& real, dev_t device, ino_t inode);

// What the link at `real` leads to (links followed, nothing mounted), as the listing of the
// link's folder would take it, with the device of that folder; none when it dangles or leads
// to an entry the listing leaves out.
struct TLinkTarget {
    TFolderEntry entry;
    dev_t linkFolderDevice;
};
std::optional<TLinkTarget> LinkTargetOf(const std::string& real);
