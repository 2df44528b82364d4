// The mount table as the kernel lists it in /proc/self/mountinfo. Reading it never calls into
// a mounted file system, so it is safe on the UI thread even while a share does not answer.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

struct TMountPoint {
    std::string path;         // the mount point, as the kernel gives its bytes
    std::string fsType;       // "ext4", "nfs4", "fuse.sshfs", "autofs", ...
    std::string source;       // "/dev/sdb1", "server:/export", ...
    std::string registerForm; // the mount point as a register path (GB18030, upper case)
    dev_t device = 0;         // as stat gives it for files on the mount
};

// The mounts of mountinfo text, in its order, with the "\040"-style escapes of the mount
// point and source decoded. Lines that are not well formed are passed over.
std::vector<TMountPoint> ParseMountInfo(std::string_view text);
// The mounts of this process now; none when the table cannot be read.
std::vector<TMountPoint> ReadMountTable();
// The same from an open /proc/self/mountinfo, read again from its start.
std::vector<TMountPoint> ReadMountTable(int fd);

// The kind of file system ("ext4", "proc", ...) of the mount with that device; empty when
// the table has none.
std::string FileSystemOfDevice(const std::vector<TMountPoint>& mounts, dev_t device);
// Whether mounts of that kind reach their files over a network (automount points included,
// as they mostly stand for shares).
bool IsNetworkFileSystem(std::string_view type);
// Whether files of that kind are reached through round trips, over a network or through a
// process of their own (FUSE): then every call in flight keeps the link busy.
bool ReachedByRoundTrips(std::string_view type);
// Whether the mount's block device is a rotating disk (each seek costs milliseconds); false
// for any other device and when the kernel does not tell.
bool OnRotatingDisk(const TMountPoint& mount);
// The mount that holds a register path (GB18030, upper case): the one with the longest mount
// point that prefixes the path, compared in register form; null when none does (a relative
// path). Only the text is compared, nothing is asked of the disk.
const TMountPoint* MountOfRegisterPath(const std::vector<TMountPoint>& mounts,
                                       std::string_view gbPath);
// The same for a real path whose links are resolved (the bytes the kernel follows).
const TMountPoint* MountOfRealPath(const std::vector<TMountPoint>& mounts,
                                   std::string_view realPath);
