// Safe replacement of a file: the new content goes to a temporary file beside the target,
// is flushed to disk and then renamed over the target, and the folder is flushed so that the
// new name survives a power cut. The file keeps its mode, owner and group (where the saver
// may give it away). On any failure the previous file stays untouched and the temporary
// file is removed. A target reached through a symbolic
// link is the file the link names (the link stays); a target that may not be written (or
// has no write permission at all) is refused like one that cannot be created.
// (Qt's QSaveFile does the same two things but ignores a failed fsync.)
#pragma once

#include "platform/fs/Paths.h"

#include <string>
#include <string_view>

class SafeFileWriter {
public:
    explicit SafeFileWriter(const RealPath& path); // throws EFileError (create)
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    void Write(std::string_view bytes); // throws EFileError (write)
    void Commit();                      // flush, fsync, rename; throws EFileError (write)

private:
    void Put(std::string_view bytes);
    void Flush();

    std::string target_; // real path
    std::string temp_;
    int fd_ = -1;
    size_t written_ = 0;
    std::string buffer_;
};

// Makes the names in the folder of the path durable, as fsync does for a file's bytes; a
// failure leaves only the durability unknown.
void SyncFolderOf(const std::string& realPath);

// Writes the whole content safely in one call.
void SafeWriteFile(const RealPath& path, std::string_view content);

// Copies the regular file `source` to `target` under a temporary name beside it, checks that
// every byte is on disk, and only then gives it the name `target`, which never replaces an
// existing file (one that appears meanwhile counts as copied). The errno of a failure, after
// which nothing of the copy is left, or 0.
int CopyNewFileInWhole(const std::string& source, const std::string& target);
