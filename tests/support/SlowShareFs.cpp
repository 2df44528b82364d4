// A stand-in for a network share: a FUSE file system that passes a real folder through and
// answers every call after a fixed delay, with fixed entry and attribute timeouts, as a NAS
// over SMB or NFS does. Listings carry the entry types (file, folder, link) as those give
// them, so a walk needs no stat to tell files from folders. Freezing it is done from outside
// by stopping this process; no handler ever blocks on purpose. A call that changes the share
// (create, rename, remove) waits CHANGE_DELAY_US more, as a busy NAS carrying it out; a read or
// a write of file data waits READ_DELAY_US instead of DELAY_US, when given.
//   slowsharefs SOURCE MOUNTPOINT DELAY_US TIMEOUT_S [CHANGE_DELAY_US [READ_DELAY_US]]
#define FUSE_USE_VERSION 35
#include <fuse3/fuse.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

struct Share {
    int root; // the source folder
    useconds_t delay;
    double timeout;
    useconds_t changeDelay;
    useconds_t readDelay; // of a read or a write of file data
};

Share& TheShare() {
    return *static_cast<Share*>(fuse_get_context()->private_data);
}

// Every handler starts here: the delay of the network, then the path below the source.
const char* Enter(const char* path) {
    usleep(TheShare().delay);
    return path[1] ? path + 1 : ".";
}

// A handler that changes the share starts here.
const char* EnterChange(const char* path) {
    usleep(TheShare().changeDelay);
    return Enter(path);
}

int Result(int r) {
    return r < 0 ? -errno : r;
}

void* Init(fuse_conn_info*, fuse_config* cfg) {
    Share& share = TheShare();
    cfg->entry_timeout = share.timeout;
    cfg->attr_timeout = share.timeout;
    cfg->negative_timeout = 0;
    cfg->use_ino = 1; // the walk tells folders apart by device and inode
    cfg->kernel_cache = 0;
    return &share;
}

int GetAttr(const char* path, struct stat* st, fuse_file_info*) {
    return Result(fstatat(TheShare().root, Enter(path), st, AT_SYMLINK_NOFOLLOW));
}

int ReadLink(const char* path, char* buffer, size_t size) {
    const ssize_t n = readlinkat(TheShare().root, Enter(path), buffer, size - 1);
    if (n < 0) return -errno;
    buffer[n] = '\0';
    return 0;
}

int ReadDir(const char* path, void* out, fuse_fill_dir_t fill, off_t, fuse_file_info*,
            fuse_readdir_flags) {
    const int fd = openat(TheShare().root, Enter(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -errno;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return -ENOMEM;
    }
    while (dirent* e = readdir(dir)) {
        struct stat st {};
        st.st_ino = e->d_ino;
        st.st_mode = mode_t(DTTOIF(e->d_type));
        if (fill(out, e->d_name, &st, 0, fuse_fill_dir_flags(0))) break;
    }
    closedir(dir);
    return 0;
}

int Open(const char* path, fuse_file_info* fi) {
    const int fd = openat(TheShare().root, Enter(path), fi->flags & ~O_NOFOLLOW);
    if (fd < 0) return -errno;
    fi->fh = uint64_t(fd);
    return 0;
}

int Create(const char* path, mode_t mode, fuse_file_info* fi) {
    const int fd = openat(TheShare().root, EnterChange(path), fi->flags | O_CREAT, mode);
    if (fd < 0) return -errno;
    fi->fh = uint64_t(fd);
    return 0;
}

int Read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
    usleep(TheShare().readDelay);
    return Result(int(pread(int(fi->fh), buffer, size, offset)));
}

int Write(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
    usleep(TheShare().readDelay);
    return Result(int(pwrite(int(fi->fh), buffer, size, offset)));
}

int Release(const char*, fuse_file_info* fi) {
    return Result(close(int(fi->fh)));
}

int StatFs(const char* path, struct statvfs* st) {
    Enter(path);
    return Result(fstatvfs(TheShare().root, st));
}

int Unlink(const char* path) {
    return Result(unlinkat(TheShare().root, EnterChange(path), 0));
}

int RemoveDir(const char* path) {
    return Result(unlinkat(TheShare().root, EnterChange(path), AT_REMOVEDIR));
}

int MakeDir(const char* path, mode_t mode) {
    return Result(mkdirat(TheShare().root, EnterChange(path), mode));
}

int Rename(const char* from, const char* to, unsigned int flags) {
    const int root = TheShare().root;
    return Result(renameat2(root, EnterChange(from), root, to[1] ? to + 1 : ".", flags));
}

int Truncate(const char* path, off_t size, fuse_file_info* fi) {
    if (fi) {
        usleep(TheShare().delay);
        return Result(ftruncate(int(fi->fh), size));
    }
    const int fd = openat(TheShare().root, Enter(path), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return -errno;
    const int r = Result(ftruncate(fd, size));
    close(fd);
    return r;
}

int ChangeMode(const char* path, mode_t mode, fuse_file_info*) {
    return Result(fchmodat(TheShare().root, Enter(path), mode, 0));
}

int SetTimes(const char* path, const timespec times[2], fuse_file_info*) {
    return Result(utimensat(TheShare().root, Enter(path), times, AT_SYMLINK_NOFOLLOW));
}

int Access(const char* path, int mode) {
    return Result(faccessat(TheShare().root, Enter(path), mode, 0));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5 || argc > 7) {
        std::fprintf(stderr,
                     "usage: %s SOURCE MOUNTPOINT DELAY_US TIMEOUT_S [CHANGE_DELAY_US "
                     "[READ_DELAY_US]]\n",
                     argv[0]);
        return 2;
    }
    const useconds_t delay = useconds_t(std::strtoul(argv[3], nullptr, 10));
    Share share{open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC), delay,
                std::strtod(argv[4], nullptr),
                useconds_t(argc >= 6 ? std::strtoul(argv[5], nullptr, 10) : 0),
                argc == 7 ? useconds_t(std::strtoul(argv[6], nullptr, 10)) : delay};
    if (share.root < 0) {
        std::perror(argv[1]);
        return 1;
    }
    fuse_operations ops{};
    ops.getattr = GetAttr;
    ops.readlink = ReadLink;
    ops.mkdir = MakeDir;
    ops.unlink = Unlink;
    ops.rmdir = RemoveDir;
    ops.rename = Rename;
    ops.chmod = ChangeMode;
    ops.truncate = Truncate;
    ops.open = Open;
    ops.read = Read;
    ops.write = Write;
    ops.statfs = StatFs;
    ops.release = Release;
    ops.readdir = ReadDir;
    ops.init = Init;
    ops.access = Access;
    ops.create = Create;
    ops.utimens = SetTimes;
    // Foreground, multi-threaded (no -s), unmounted by the kernel's helper when this process
    // ends in any way.
    char options[] = "auto_unmount,fsname=slowshare,subtype=slowshare,max_threads=64,"
                     "max_idle_threads=64";
    char foreground[] = "-f";
    char dashO[] = "-o";
    char* args[] = {argv[0], argv[2], foreground, dashO, options, nullptr};
    return fuse_main(5, args, &ops, &share);
}
