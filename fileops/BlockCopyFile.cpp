#include "fileops/BlockCopyFile.h"

#include "fileops/FileHelpers.h"
#include "platform/FileErrors.h"
#include "platform/LineReader.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

QString BytesSuffix(uint64_t bytes) {
    return QStringLiteral("%  ") + QString::number(bytes);
}

// Copies exactly `count` bytes from the current offsets. The kernel's in-place copy is
// used while the file systems allow it; otherwise the bytes pass through the buffer.
class BlockPump {
public:
    BlockPump(int from, int to) : from_(from), to_(to) {}

    void Copy(uint64_t count) {
        while (count > 0 && inKernel_) {
            ssize_t n = copy_file_range(from_, nullptr, to_, nullptr, size_t(count), 0);
            if (n > 0) {
                count -= uint64_t(n);
            } else if (n == 0) {
                ThrowReadError(); // the source got shorter meanwhile
            } else if (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                       errno == EOPNOTSUPP || errno == EPERM) {
                inKernel_ = false;
            } else if (errno != EINTR) {
                ThrowWriteError();
            }
        }
        while (count > 0)
            count -= ReadWrite(count);
    }

private:
    uint64_t ReadWrite(uint64_t count) {
        buffer_.resize(kCopyBlockSize);
        size_t want = size_t(std::min<uint64_t>(count, kCopyBlockSize));
        ssize_t got = read(from_, buffer_.data(), want);
        if (got < 0 && errno == EINTR) return 0;
        if (got <= 0) ThrowReadError();
        for (ssize_t done = 0; done < got;) {
            ssize_t n = write(to_, buffer_.data() + done, size_t(got - done));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) ThrowWriteError();
            done += n;
        }
        return uint64_t(got);
    }

    int from_, to_;
    bool inKernel_ = true;
    std::vector<char> buffer_;
};

// The copy is written under a hidden name beside the target and takes the target's name
// only when it is complete, so a copy cut short by a crash or a kill never leaves a partial
// file under the real name. A stale one from such a copy is overwritten by the next copy.
std::string PartialCopyPath(const std::string& realTarget) {
    const size_t start = realTarget.rfind('/') + 1; // npos + 1 is 0
    // ".~" + name + ".part" stays within the 255 bytes a file name may have.
    return realTarget.substr(0, start) + ".~" + realTarget.substr(start, 240) + ".part";
}

} // namespace

bool BlockCopyFile(const TCopyFiles& files, IShell& shell, CopyDurability durability) {
    IProgress& bar = shell.PB3();
    int from = OpenRegularFile(files.source, files.gbSource);
    struct stat st;
    if (fstat(from, &st) != 0) {
        int err = errno;
        close(from);
        ThrowOpenError(files.gbSource, err);
    }
    const uint64_t size = uint64_t(st.st_size);
    const uint64_t blocks = size / kCopyBlockSize;
    const uint64_t rest = size % kCopyBlockSize;

    const std::string& realTarget = files.target.Bytes();
    struct stat existing;
    if (stat(realTarget.c_str(), &existing) == 0 && existing.st_dev == st.st_dev &&
        existing.st_ino == st.st_ino) {
        close(from); // emptying the target would empty the source
        return false;
    }
    const std::string partial = PartialCopyPath(realTarget);
    FolderEntryChange creation{RealPath(partial)};
    int to = open(partial.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (to < 0) {
        int err = errno;
        close(from);
        ThrowCreateError(files.gbTarget, err);
    }
    creation.Added();
    struct stat created {};
    fstat(to, &created);
    // Removes what this copy created, and only that: never a device or a file that another
    // program put under the name meanwhile.
    auto discardTarget = [&] {
        struct stat named;
        FolderEntryChange removal{RealPath(partial)};
        if (S_ISREG(created.st_mode) && lstat(partial.c_str(), &named) == 0 &&
            named.st_dev == created.st_dev && named.st_ino == created.st_ino &&
            unlink(partial.c_str()) == 0)
            removal.Removed();
    };

    try {
        bar.SetVisible(true);
        bar.SetMax(int(blocks + 1));
        BlockPump pump(from, to);
        for (uint64_t i = 0; i < blocks; ++i) {
            bar.SetPosition(int(i + 1));
            bar.SetSuffix(BytesSuffix((i + 1) * kCopyBlockSize));
            if (BreakFlag) break;
            pump.Copy(kCopyBlockSize);
            shell.ProcessEvents();
        }
        bar.SetPosition(int(blocks + 1));
        if (!BreakFlag && rest > 0) {
            bar.SetSuffix(BytesSuffix(size));
            pump.Copy(rest);
        }
        if (!BreakFlag && durability == CopyDurability::OnDisk) {
            struct stat written;
            if (fsync(to) != 0 || fstat(to, &written) != 0 || uint64_t(written.st_size) != size)
                ThrowWriteError();
        }
    } catch (...) {
        bar.SetVisible(false);
        close(from);
        close(to);
        discardTarget();
        throw;
    }

    close(from);
    if (BreakFlag) {
        bar.SetSuffix(QStringLiteral("%  正在关闭文件,稍等"));
        close(to);
        discardTarget();
        bar.SetVisible(false);
        return false;
    }
    bar.SetVisible(false);
    bar.SetSuffix(QStringLiteral("%  正在写入文件,稍等"));
    if (close(to) != 0) {
        discardTarget();
        ThrowWriteError();
    }
    FolderEntryChange left{RealPath(partial)}, arrived{RealPath(realTarget)};
    if (rename(partial.c_str(), realTarget.c_str()) != 0) {
        int err = errno;
        discardTarget();
        ThrowCreateError(files.gbTarget, err);
    }
    left.Removed();
    arrived.Added();
    if (durability == CopyDurability::OnDisk) SyncFolderOf(realTarget);
    return true;
}
