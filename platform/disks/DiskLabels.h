// The names users gave their disks, as udev lists them in /dev/disk/by-label: one link per
// volume, named after its label with udev's "\xNN" escapes (a blank is "\x20"), pointing at
// the device. Reading them touches only the device file system, never a mounted disk.
#pragma once

#include <QString>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct TMountPoint;

// A link name with its "\xNN" escapes turned back into bytes; other text as it stands.
std::string DecodeUdevEscapes(std::string_view name);

// The label of each mount whose source is a labelled device, keyed by the source as the
// mount table gives it ("/dev/sdb1", "/dev/mapper/films").
std::map<std::string, QString> ReadDiskLabels(const std::vector<TMountPoint>& mounts,
                                              const char* labelFolder = "/dev/disk/by-label");
