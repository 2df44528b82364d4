#include "platform/fs/SafeFile.h"

#include "platform/fs/FileErrors.h"
#include "platform/fs/Paths.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr size_t kBufferSize = 1 << 20;

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

// The file that a save replaces: a symbolic link is followed to its target (also one that
// does not exist yet), so that the link stays and the file it names gets the new content.
std::string FinalTarget(std::string path) {
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string link(size_t(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
        ssize_t n = readlink(path.c_str(), link.data(), link.size());
        if (n <= 0) return path;
        link.resize(size_t(n));
        if (link.front() != '/') link.insert(0, path.substr(0, path.rfind('/') + 1));
        path = std::move(link);
    }
    return path;
}
} // namespace

SafeFileWriter::SafeFileWriter(const RealPath& path) : target_(FinalTarget(path.Bytes())) {
    const std::string gbPath = path.Gb();
    // A file that may not be written is not replaced either, though its folder would allow
    // it; one without any write permission counts as read-only even for root.
    struct stat existing;
    if (stat(target_.c_str(), &existing) == 0 && (existing.st_mode & 0222) == 0)
        ThrowCreateError(gbPath, EACCES);
    if (faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0 && errno != ENOENT)
        ThrowCreateError(gbPath, errno);
    temp_ = target_ + ".tmpXXXXXX";
    fd_ = mkostemp(temp_.data(), O_CLOEXEC); // a program started meanwhile gets no copy
    if (fd_ < 0) ThrowCreateError(gbPath, errno);
    struct stat st;
    mode_t mode = 0666;
    if (stat(target_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
        // Root saving another user's database must not take it over.
        if (fchown(fd_, st.st_uid, st.st_gid) != 0) {
            // Only root may give a file away: anyone else's save stays the saver's file.
        }
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    fchmod(fd_, mode);
}

SafeFileWriter::~SafeFileWriter() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temp_.c_str());
    }
}

void SafeFileWriter::Put(std::string_view bytes) {
    if (!WriteAll(fd_, bytes.data(), bytes.size())) ThrowWriteError();
    // The disk starts on what is written while the rest is being made, so that the fsync at
    // the end waits for the last piece only, not for the whole file.
    sync_file_range(fd_, off64_t(written_), off64_t(bytes.size()), SYNC_FILE_RANGE_WRITE);
    written_ += bytes.size();
}

void SafeFileWriter::Flush() {
    Put(buffer_);
    buffer_.clear();
}

void SafeFileWriter::Write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kBufferSize) {
        Flush();
        if (bytes.size() >= kBufferSize) {
            Put(bytes);
            return;
        }
    }
    buffer_.append(bytes);
}

void SafeFileWriter::Commit() {
    Flush();
    if (::fsync(fd_) != 0) ThrowWriteError();
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || std::rename(temp_.c_str(), target_.c_str()) != 0) {
        ::unlink(temp_.c_str());
        ThrowWriteError();
    }
    SyncFolderOf(target_);
    ClearResolverCache();
}

void SyncFolderOf(const std::string& realPath) {
    const size_t slash = realPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : realPath.substr(0, slash + 1);
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

void SafeWriteFile(const RealPath& path, std::string_view content) {
    SafeFileWriter writer(path);
    writer.Write(content);
    writer.Commit();
}

namespace {

// Copies all bytes from one descriptor to the other; the errno of a failure, or 0.
int CopyBytes(int from, int to) {
    char block[65536];
    for (;;) {
        ssize_t n = ::read(from, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(to, block + done, size_t(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) return errno;
            done += w;
        }
    }
}

} // namespace

int CopyNewFileInWhole(const std::string& source, const std::string& target) {
    const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (from < 0) return errno;
    std::string temp = target + ".tmpXXXXXX";
    const int to = mkostemp(temp.data(), O_CLOEXEC);
    if (to < 0) {
        const int err = errno;
        ::close(from);
        return err;
    }
    struct stat in {
    }, out{};
    int err = fstat(from, &in) != 0 ? errno : CopyBytes(from, to);
    if (!err && (fchmod(to, (in.st_mode & 0666) | S_IRUSR | S_IWUSR) != 0 || fsync(to) != 0 ||
                 fstat(to, &out) != 0))
        err = errno;
    if (!err && out.st_size != in.st_size) err = EIO; // the source changed while it was read
    if (::close(to) != 0 && !err) err = errno;
    ::close(from);
    if (!err && renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return SyncFolderOf(target), 0;
    if (!err) {
        err = errno;
        // Where the file system lacks RENAME_NOREPLACE, a hard link never replaces either.
        if ((err == EINVAL || err == ENOSYS || err == EOPNOTSUPP) &&
            ::link(temp.c_str(), target.c_str()) == 0) {
            err = 0;
            SyncFolderOf(target);
        }
        if (err == EEXIST) err = 0; // another start of the program brought it meanwhile
    }
    ::unlink(temp.c_str());
    return err;
}
