// Which file system a path really reaches. The text of a path does not tell: a link in a local
// folder may lead into a share, so a call is charged to the mount of the path with its links
// followed as the kernel follows them.
#pragma once

#include "platform/disks/MountTable.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The absolute path that `real` leads to, its links followed with lstat and readlink, each
// component looked up only after enter(mount it is looked up on) allowed it; from the first
// component it refuses on, the rest is kept as written. Mount points are crossed without a
// call, and ".." is taken from the path reached so far, as the kernel takes it.
std::string ReachedPath(std::string_view real, const std::vector<TMountPoint>& mounts,
                        const std::function<bool(const TMountPoint&)>& enter);
// The same for `rest` below `reached`, a folder path already reached (no links in it).
std::string ReachedPath(std::string reached, std::string_view rest,
                        const std::vector<TMountPoint>& mounts,
                        const std::function<bool(const TMountPoint&)>& enter);

// Whether lookups on the mount cost nothing to speak of: a disk of this machine, not a share
// or a process of its own (FUSE).
bool AnswersLocally(const TMountPoint& mount);
