// The folder tree's places from a made-up mount table, as the kernel writes it.
#include "platform/disks/DiskPlaces.h"
#include "platform/disks/DiskLabels.h"
#include "platform/disks/MountTable.h"

#include <gtest/gtest.h>

TEST(DiskPlaces, DisksAndSharesByNameWithoutTheSystemsMounts) {
    const std::vector<TMountPoint> mounts =
        ParseMountInfo("22 1 8:2 / / rw shared:1 - ext4 /dev/sda2 rw\n"
                       "23 22 0:21 / /proc rw - proc proc rw\n"
                       "24 22 0:22 / /run/user/0 rw - tmpfs tmpfs rw\n"
                       "25 22 8:1 / /boot/efi rw - vfat /dev/sda1 rw\n"
                       "26 22 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
                       "27 22 8:3 / /home/u rw - ext4 /dev/sda3 rw\n"
                       "28 22 8:17 / /media/u/影视\\040库 rw - ext4 /dev/sdb1 rw\n"
                       "29 22 8:33 / /media/u/sdc1 rw - exfat /dev/sdc1 rw\n"
                       "30 22 8:17 /x /mnt/again rw - ext4 /dev/sdb1 rw\n" // a bind mount
                       "31 22 0:50 / /mnt/nas rw - nfs4 nas:/export rw\n"
                       "32 22 0:51 / /mnt/auto rw - autofs systemd-1 rw\n" // not triggered
                       "33 22 0:51 / /mnt/auto rw - cifs //nas/auto rw\n"  // once it is
                       "34 22 8:65 / /srv/file rw - ext4 /dev/sde1 rw\n"
                       "35 24 0:53 / /run/user/0/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n");
    const QString gvfs = QStringLiteral("/run/user/0/gvfs");
    ASSERT_EQ(GvfsMountPoints(mounts), QStringList{gvfs});
    TMountAnswers answers;
    answers.notFolders.insert(QStringLiteral("/srv/file"));
    answers.gvfsShares[gvfs] = {QStringLiteral("smb-share:server=nas,share=movies")};
    const std::map<std::string, QString> labels = {
        {"/dev/sdb1", QString::fromUtf8(DecodeUdevEscapes("\\xe5\\xbd\\xb1\\x20Films"))}};
    QStringList shown;
    for (const TDiskPlace& p : DiskPlaces(mounts, QStringLiteral("/home/u"), labels, answers))
        shown << p.name + "=" + p.path + QString::number(p.kind) + (p.askIfFolder ? "?" : "");
    EXPECT_EQ(shown,
              QStringList({QStringLiteral("文件系统=/0"), QStringLiteral("主文件夹=/home/u1"),
                           QStringLiteral("影 Films=/media/u/影视 库2?"),
                           QStringLiteral("sdc1=/media/u/sdc12?"), QStringLiteral("nas=/mnt/nas3?"),
                           QStringLiteral("auto=/mnt/auto3"),
                           QStringLiteral("movies (nas)=") + gvfs +
                               QStringLiteral("/smb-share:server=nas,share=movies3")}));
}
