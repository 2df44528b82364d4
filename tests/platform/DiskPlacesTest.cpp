// The folder tree's places from a made-up mount table.
#include "platform/DiskPlaces.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(DiskPlaces, DisksAndSharesByNameWithoutTheSystemsMounts) {
    const QString at = QStringLiteral(TAVLORA_TEST_DIR "/places/");
    QDir(at).removeRecursively();
    for (const char* dir :
         {"影视", "sdc1", "nas", "again", "home", "gvfs/smb-share:server=nas,share=movies"})
        ASSERT_TRUE(QDir().mkpath(at + QString::fromUtf8(dir)));
    const std::vector<TMount> mounts = {
        {"/", "ext4", "/dev/sda2", ""},
        {"/proc", "proc", "proc", ""},
        {"/run/user/0", "tmpfs", "tmpfs", ""},
        {"/boot/efi", "vfat", "/dev/sda1", "EFI"},
        {"/snap/core/1", "squashfs", "/dev/loop0", ""},
        {at + "home", "ext4", "/dev/sda3", ""},
        {at + "影视", "ext4", "/dev/sdb1", QStringLiteral("影视")},
        {at + "sdc1", "exfat", "/dev/sdc1", ""},
        {at + "again", "ext4", "/dev/sdb1", QStringLiteral("影视")}, // a bind mount
        {at + "nas", "nfs4", "nas:/export", ""},
        {at + "gone", "ext4", "/dev/sdd1", ""},
        {at + "gvfs", "fuse.gvfsd-fuse", "gvfsd-fuse", ""},
    };
    QStringList shown;
    for (const TDiskPlace& p : DiskPlaces(mounts, at + "home"))
        shown << p.name + "=" + p.path.mid(p.path.startsWith(at) ? at.size() : 0) +
                     QString::number(p.kind);
    EXPECT_EQ(shown, QStringList(
                         {QStringLiteral("文件系统=/0"), QStringLiteral("主文件夹=home1"),
                          QStringLiteral("影视=影视2"), QStringLiteral("sdc1=sdc12"),
                          QStringLiteral("nas=nas3"),
                          QStringLiteral("movies (nas)=gvfs/smb-share:server=nas,share=movies3")}));
}
