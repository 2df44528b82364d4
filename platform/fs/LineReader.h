// Sequential line reader over a file, in large blocks. The returned line excludes its end.
#pragma once

#include "platform/fs/Paths.h"

#include <string>
#include <string_view>

class LineReader {
public:
    enum class Ends {
        Lf,     // a line ends at LF, a CR before it is dropped (database file)
        AnyEnd, // CR LF, CR alone or LF alone (list files)
    };
    // Throws EFileError as OpenRegularFile does.
    LineReader(const RealPath& path, Ends ends);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line; false at the end of the file. A last line without end counts.
    // Throws EFileError (read) on a read failure. The view lives until the next call.
    bool Next(std::string_view& line);

private:
    bool Fill();

    int fd_ = -1;
    Ends ends_;
    size_t block_; // bytes read at a time
    std::string buf_;
    size_t pos_ = 0;
    bool eof_ = false;
    bool pendingCr_ = false; // AnyEnd: the previous line ended at a CR that may pair with LF
    std::string line_;
};

// Opens a regular file for reading. Throws EFileError: open when it cannot be opened (naming
// `gbShown`, the path as the caller knows it, or else the real path), read when it is not a
// regular file (a folder, pipe, device or socket).
int OpenRegularFile(const RealPath& path, std::string_view gbShown = {});

// Reads until `size` bytes are in `buffer` or the file ends; the number read. Throws
// EFileError (read) on a read failure.
size_t ReadFully(int fd, char* buffer, size_t size);

// Reads the whole file (used by the small settings and list files).
std::string ReadWholeFile(const RealPath& path);
