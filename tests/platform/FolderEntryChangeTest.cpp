#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "support/TempDir.h"

#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

void SetFolderTime(const std::string& folder, time_t seconds) {
    timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, folder.c_str(), times, 0);
}

// The program's own changes keep the listing current without reading the folder again; a
// change by someone else before them is not masked.
TEST(FolderEntryChange, PatchesTheListingForOwnChangesOnly) {
    TempDir t;
    t.MakeDir("d");
    t.Write("d/old.txt", "x");
    const std::string d = t.Path() + "d/";
    SetFolderTime(d, 1000);
    EXPECT_EQ(ResolvePath(RegisterPath(UpperCase(t.Gb("d/OLD.TXT")))).Bytes(),
              d + "old.txt"); // listing read at 1000

    FolderEntryChange add{RealPath(d + "new.txt")};
    t.Write("d/new.txt", "y");
    SetFolderTime(d, 1000); // within one clock tick the folder time need not move
    add.Added();
    EXPECT_EQ(ResolvePath(RegisterPath(UpperCase(t.Gb("d/NEW.TXT")))).Bytes(), d + "new.txt");

    FolderEntryChange removal{RealPath(d + "old.txt")};
    std::remove((d + "old.txt").c_str());
    SetFolderTime(d, 1000);
    removal.Removed();
    EXPECT_EQ(ResolvePath(RegisterPath(UpperCase(t.Gb("d/OLD.TXT")))).Bytes(), d + "OLD.TXT");

    // Someone else adds a file in the same tick; our next change must not hide it.
    t.Write("d/other.txt", "z");
    SetFolderTime(d, 2000);
    FolderEntryChange late{RealPath(d + "late.txt")};
    t.Write("d/late.txt", "w");
    SetFolderTime(d, 2000);
    late.Added();
    EXPECT_EQ(ResolvePath(RegisterPath(UpperCase(t.Gb("d/OTHER.TXT")))).Bytes(), d + "other.txt");
}

TEST(FolderEntryChange, RemovingOneOfTwoCaseVariantsFindsTheOtherAgain) {
    TempDir t;
    t.MakeDir("d");
    t.Write("d/a.txt", "1");
    t.Write("d/A.Txt", "2");
    const std::string d = t.Path() + "d/";
    std::string first = ResolvePath(RegisterPath(UpperCase(t.Gb("d/A.TXT")))).Bytes();
    std::string other = first == d + "a.txt" ? d + "A.Txt" : d + "a.txt";
    FolderEntryChange removal{RealPath(first)};
    std::remove(first.c_str());
    struct stat st;
    stat(d.c_str(), &st);
    SetFolderTime(d, st.st_mtim.tv_sec); // whatever the clock did, the listing must follow
    removal.Removed();
    EXPECT_EQ(ResolvePath(RegisterPath(UpperCase(t.Gb("d/A.TXT")))).Bytes(), other);
}

} // namespace
