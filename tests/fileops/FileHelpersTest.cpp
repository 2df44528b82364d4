#include "FileOpsFixture.h"

#include "fileops/FileHelpers.h"
#include "fileops/SystemMoveFile.h"
#include "platform/fs/FileErrors.h"

#include <sys/stat.h>

namespace {

using FileHelpers = FileOpsTest;

std::string Gb(const fs::path& p) {
    return Utf8ToGb(p.string());
}

bool OtherFileSystemAvailable(const fs::path& here) {
    struct stat a, b;
    return stat("/dev/shm", &a) == 0 && stat(here.c_str(), &b) == 0 && a.st_dev != b.st_dev &&
           access("/dev/shm", W_OK) == 0;
}

TEST_F(FileHelpers, RowFilePathJoinsCellsAndIsEmptyWithoutAPath) {
    reg.SetCell(colPath, 1, "/D/MOVIES");
    reg.SetCell(colName, 1, "FILM");
    reg.SetCell(colType, 1, ".RMVB");
    EXPECT_EQ(RowFilePath(reg, 1), "/D/MOVIES/FILM.RMVB");
    reg.SetCell(colPath, 1, "/D/MOVIES/");
    EXPECT_EQ(RowFilePath(reg, 1), "/D/MOVIES/FILM.RMVB");
    reg.SetCell(colPath, 1, "");
    EXPECT_EQ(RowFilePath(reg, 1), "");
}

TEST_F(FileHelpers, ForceDeleteRemovesReadOnlyFilesAndReportsMissingOnes) {
    fs::path f = root / "Dir" / "ro.mkv";
    MakeFile(f, 10);
    fs::permissions(f, fs::perms::owner_read);
    EXPECT_TRUE(DeleteFoundFile(FindOnDisk(RegisterPath(RegDir(root / "Dir") + "RO.MKV"))));
    EXPECT_FALSE(fs::exists(f));
    EXPECT_FALSE(DeleteFoundFile(FindOnDisk(RegisterPath(Gb(f)))));
    EXPECT_FALSE(DeleteFoundFile(FindOnDisk(RegisterPath(Gb(root))))); // a folder is not a file
    EXPECT_TRUE(fs::exists(root));
}

TEST_F(FileHelpers, SizesAndFreeSpace) {
    MakeFile(root / "f", 5 * kCopyBlockSize + 3);
    EXPECT_EQ(GetFileSizeBytes(RegDir(root) + "F"), 5 * kCopyBlockSize + 3);
    EXPECT_THROW(GetFileSizeBytes(Gb(root / "none")), EFileError);
    EXPECT_GT(GetDiskFreeBytes(RegDir(root)), 0u);
    EXPECT_EQ(GetDiskFreeBytes("/no/such/volume/at/all"), 0u);
}

TEST_F(FileHelpers, SameDriveAndSameFile) {
    MakeFile(root / "a" / "f", 1);
    fs::create_directory_symlink(root / "a", root / "via");
    EXPECT_TRUE(SameDrive(Gb(root / "a" / "f"), Gb(root / "b" / "not" / "yet")));
    const DiskEntry f = FindOnDisk(RegisterPath(RegDir(root / "a") + "F")).front();
    EXPECT_TRUE(f.SameFileAs(FindOnDisk(RegisterPath(Gb(root / "via" / "f"))).front()));
    EXPECT_TRUE(f.StillSame());
    MakeFile(root / "a" / "g", 1);
    fs::rename(root / "a" / "g", root / "a" / "f"); // another file under the same name
    EXPECT_FALSE(f.StillSame());
    EXPECT_EQ(DeleteCheckedFile(f), CheckedDeletion::Changed);
    EXPECT_TRUE(fs::exists(root / "a" / "f"));
    if (OtherFileSystemAvailable(root)) {
        EXPECT_FALSE(SameDrive(Gb(root), "/dev/shm/x"));
    }
}

DiskEntry Found(const fs::path& p) {
    return FindOnDisk(RegisterPath(Gb(p))).front();
}

TEST_F(FileHelpers, SystemMoveNeverReplacesATargetInAnyLetterCase) {
    MakeFile(root / "src.mkv", 3, 1);
    MakeFile(root / "dst.mkv", 4, 2);
    const DiskEntry src = Found(root / "src.mkv");
    const RealPath folder(root.string());
    EXPECT_EQ(SystemMoveFile(src, folder, "DST.MKV"), MoveOutcome::Failed);
    EXPECT_EQ(fs::file_size(root / "dst.mkv"), 4u);
    EXPECT_TRUE(fs::exists(root / "src.mkv"));
    EXPECT_EQ(SystemMoveFile(src, folder, "NEW.MKV"), MoveOutcome::Moved);
    EXPECT_EQ(SystemMoveFile(src, folder, "NEW2.MKV"), MoveOutcome::Changed); // gone
    EXPECT_EQ(fs::file_size(root / "NEW.MKV"), 3u);
    EXPECT_FALSE(fs::exists(root / "src.mkv"));
    // A run of moves through folders held open sees each arrival before the next move.
    fs::create_directory(root / "out");
    MakeFile(root / "b.mkv", 5, 3);
    SystemMoves moves;
    const RealPath out((root / "out").string());
    EXPECT_EQ(moves.Move(Found(root / "NEW.MKV"), out, "NEW.MKV"), MoveOutcome::Moved);
    EXPECT_EQ(moves.Move(Found(root / "b.mkv"), out, "new.mkv"), MoveOutcome::Failed);
    EXPECT_EQ(moves.Move(Found(root / "b.mkv"), out, "B.MKV"), MoveOutcome::Moved);
}

TEST_F(FileHelpers, SystemMoveOfAFolderRefusesToMoveItIntoItself) {
    MakeFile(root / "A" / "x", 1);
    const DiskEntry a = Found(root / "A");
    EXPECT_EQ(SystemMoveFile(a, RealPath((root / "A").string()), "B"), MoveOutcome::Failed);
    EXPECT_TRUE(fs::exists(root / "A" / "x"));
    EXPECT_FALSE(fs::exists(root / "A" / "B"));
    EXPECT_EQ(SystemMoveFile(a, RealPath(root.string()), "C"), MoveOutcome::Moved);
    EXPECT_TRUE(fs::exists(root / "C" / "x"));
}

} // namespace
