#include "platform/fs/Paths.h"

#include "platform/fs/FileErrors.h"
#include "platform/fs/LineReader.h"
#include "platform/fs/SafeFile.h"
#include "platform/text/GbText.h"
#include "support/TempDir.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>

TEST(Resolver, FindsMixedCaseAndChineseNamesFromTheirRegisterForm) {
    TempDir t;
    t.MakeDir("Movies/Sci-Fi 科幻");
    t.Write("Movies/Sci-Fi 科幻/Alien.Avi", "x");
    std::string reg = UpperCase(t.Gb("Movies/Sci-Fi 科幻/Alien.Avi"));
    // The temp folder itself is lower case on disk; the register form is upper case.
    EXPECT_EQ(ResolvePath(RegisterPath(reg)).Bytes(), t.Path() + "Movies/Sci-Fi 科幻/Alien.Avi");
    EXPECT_TRUE(FileExists(RegisterPath(reg)));
    EXPECT_FALSE(DirectoryExists(RegisterPath(reg)));
    EXPECT_TRUE(DirectoryExists(RegisterPath(UpperCase(t.Gb("movies/SCI-FI 科幻/")))));
    EXPECT_FALSE(FileExists(RegisterPath(UpperCase(t.Gb("movies/SCI-FI 科幻")))));
    EXPECT_FALSE(FileExists(RegisterPath(UpperCase(t.Gb("Movies/missing.avi")))));
    EXPECT_FALSE(FileExists(RegisterPath("")));
}

TEST(Resolver, PrefersTheExactNameAndReusesCaseVariantsForNewFiles) {
    TempDir t;
    t.Write("ABC.txt", "upper");
    t.Write("abc.txt", "lower");
    EXPECT_EQ(ResolvePath(RegisterPath(t.Gb("abc.txt"))).Bytes(), t.Path() + "abc.txt");
    EXPECT_EQ(ResolvePath(RegisterPath(t.Gb("ABC.txt"))).Bytes(), t.Path() + "ABC.txt");
    t.MakeDir("Data");
    // A file to be created in an existing case-variant folder lands in that folder.
    EXPECT_EQ(ResolvePath(RegisterPath(t.Gb("DATA/New File.TXT"))).Bytes(),
              t.Path() + "Data/New File.TXT");
    t.Write("Data/Note.txt", "n");
    EXPECT_EQ(ResolvePath(RegisterPath(t.Gb("DATA/NOTE.TXT"))).Bytes(), t.Path() + "Data/Note.txt");
}

TEST(Resolver, SeesChangesAfterTheDirectoryChanged) {
    TempDir t;
    t.Write("One.txt", "1");
    EXPECT_TRUE(FileExists(RegisterPath(t.Gb("ONE.TXT"))));
    rename((t.Path() + "One.txt").c_str(), (t.Path() + "Two.txt").c_str());
    EXPECT_FALSE(FileExists(RegisterPath(t.Gb("ONE.TXT"))));
    EXPECT_TRUE(FileExists(RegisterPath(t.Gb("TWO.TXT"))));
}

TEST(Resolver, NamesThatAreNotUtf8AreMatchedAsRawBytes) {
    TempDir t;
    std::string raw = Utf8ToGb("旧片") + ".avi"; // a name written by a GBK system
    t.Write(raw, "x");
    EXPECT_TRUE(FileExists(RegisterPath(Utf8ToGb(t.Path()) + UpperCase(raw))));
    EXPECT_EQ(RegisterFormOfName(raw), UpperCase(raw));
    EXPECT_EQ(RegisterFormOfName("Alien.avi"), "ALIEN.AVI");
}

// Folders and names that differ only in case: the resolver goes back from a variant that
// does not lead on, counts one file reached two ways once, tells when two files fit (also
// when one of them is spelled exactly as the register text), and never treats a pipe as a
// file.
TEST(Resolver, FollowsEveryCaseVariantAndTellsWhenTwoFilesFit) {
    TempDir t;
    t.MakeDir("lib/Foo");
    t.MakeDir("lib/foo");
    t.Write("lib/Foo/h.avi", "h");
    t.Write("lib/foo/g.avi", "g");
    EXPECT_EQ(ResolvePath(RegisterPath(UpperCase(t.Gb("lib/foo/g.avi")))).Bytes(),
              t.Path() + "lib/foo/g.avi");
    t.Write("lib/foo/h.avi", "h2");
    symlink("Foo", (t.Path() + "lib/fOO").c_str());
    const std::string h = UpperCase(t.Gb("lib/foo/h.avi"));
    for (int session = 0; session < 2; ++session) {
        std::optional<ResolverSession> open;
        if (session) open.emplace();
        ASSERT_EQ(FindOnDisk(RegisterPath(h)).size(), 2u);
        EXPECT_EQ(ResolvePath(RegisterPath(h)).Bytes(),
                  t.Path() + "lib/Foo/h.avi"); // first in byte order
        // The exact spelling comes first, but the twin is still there.
        const std::vector<DiskEntry> exact = FindOnDisk(RegisterPath(t.Gb("lib/foo/h.avi")));
        ASSERT_EQ(exact.size(), 2u);
        EXPECT_EQ(exact[0].real.Bytes(), t.Path() + "lib/foo/h.avi");
    }
    // The all-upper-case twin is what register text spells exactly.
    t.MakeDir("lib/FOO");
    t.Write("lib/FOO/g.avi", "G");
    const std::vector<DiskEntry> g = FindOnDisk(RegisterPath(UpperCase(t.Gb("lib/foo/g.avi"))));
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g[0].real.Bytes(), t.Path() + "lib/FOO/g.avi");
    EXPECT_EQ(g[1].real.Bytes(), t.Path() + "lib/foo/g.avi");
    mkfifo((t.Path() + "lib/Foo/p.avi").c_str(), 0644);
    const std::string pipe = UpperCase(t.Gb("lib/Foo/p.avi"));
    EXPECT_EQ(KindOf(RegisterPath(pipe)), EntryKind::Other);
    EXPECT_FALSE(FileExists(RegisterPath(pipe)) || AnyFileExists(RegisterPath(pipe)));
    EXPECT_THROW(ReadWholeFile(ResolvePath(RegisterPath(pipe))), EFileError);
}

// Gives the folder a modification time of its own, so that a cached listing of it is read
// again even when the change fell within one tick of the file system's clock.
void SetFolderTime(const std::string& folder, time_t seconds) {
    timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, folder.c_str(), times, 0);
}

// A session remembers folders, never files: a file created or removed meanwhile is seen; a
// folder renamed by the program (which clears the cache) is seen; after the session, so is one
// renamed by anyone.
TEST(Resolver, SessionRemembersFoldersOnly) {
    TempDir t;
    t.MakeDir("Deep/Folder");
    t.Write("Deep/Folder/One.mkv", "1");
    const std::string folder = UpperCase(t.Gb("Deep/Folder/"));
    {
        ResolverSession session;
        EXPECT_EQ(ResolvePath(RegisterPath(folder + "ONE.MKV")).Bytes(),
                  t.Path() + "Deep/Folder/One.mkv");
        EXPECT_EQ(ResolvePath(RegisterPath(folder + "ONE.MKV")).Bytes(),
                  t.Path() + "Deep/Folder/One.mkv");
        t.Write("Deep/Folder/Two.mkv", "2");
        SetFolderTime(t.Path() + "Deep/Folder", 1000);
        EXPECT_TRUE(FileExists(RegisterPath(folder + "TWO.MKV")));
        std::remove((t.Path() + "Deep/Folder/One.mkv").c_str());
        SetFolderTime(t.Path() + "Deep/Folder", 2000);
        EXPECT_FALSE(FileExists(RegisterPath(folder + "ONE.MKV")));
        EXPECT_EQ(ResolvePath(RegisterPath(folder)).Bytes(), t.Path() + "Deep/Folder/");
        EXPECT_EQ(ResolvePath(RegisterPath(UpperCase(t.Gb("Deep/Folder")))).Bytes(),
                  t.Path() + "Deep/Folder");

        rename((t.Path() + "Deep/Folder").c_str(), (t.Path() + "Deep/Moved").c_str());
        t.MakeDir("Deep/FOLDER");
        t.Write("Deep/FOLDER/TWO.MKV", "3");
        ClearResolverCache();
        EXPECT_EQ(ResolvePath(RegisterPath(folder + "TWO.MKV")).Bytes(),
                  t.Path() + "Deep/FOLDER/TWO.MKV");
    }
    rename((t.Path() + "Deep/FOLDER").c_str(), (t.Path() + "Deep/Other").c_str());
    rename((t.Path() + "Deep/Moved").c_str(), (t.Path() + "Deep/folder").c_str());
    SetFolderTime(t.Path() + "Deep", 3000);
    EXPECT_EQ(ResolvePath(RegisterPath(folder + "TWO.MKV")).Bytes(),
              t.Path() + "Deep/folder/Two.mkv");
}

// The save keeps the file's owner and group (root saving another user's database), hands
// its temporary file to no program started meanwhile, and leaves no temporary file; the
// file then reads through an ordinary blocking descriptor.
TEST(SafeWrite, ReplacesTheFileKeepingItsOwnerAndLeavesNoTemporaryFile) {
    TempDir t;
    t.Write("data.txt", "old");
    const std::string path = t.Path() + "data.txt";
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(path.c_str(), 4321, 4322), 0);
    }
    {
        SafeFileWriter writer{RealPath(path)};
        writer.Write("new content");
        int temporaries = 0;
        for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            if (!std::filesystem::read_symlink(fd.path(), error).string().starts_with(path + "."))
                continue;
            ++temporaries;
            EXPECT_TRUE(fcntl(std::stoi(fd.path().filename()), F_GETFD) & FD_CLOEXEC);
        }
        EXPECT_EQ(temporaries, 1);
        writer.Commit();
    }
    EXPECT_EQ(t.Read("data.txt"), "new content");
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    if (root) {
        EXPECT_TRUE(st.st_uid == 4321 && st.st_gid == 4322);
    }
    EXPECT_EQ(QDir(QString::fromStdString(t.Path())).entryList(QDir::Files).size(), 1);
    const int fd = OpenRegularFile(RealPath(path));
    EXPECT_EQ(fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    close(fd);
}

TEST(SafeWrite, WritesThroughALinkAndRefusesAReadOnlyTarget) {
    TempDir t;
    t.MakeDir("real");
    t.Write("real/data.vdb", "old");
    symlink("real/data.vdb", (t.Path() + "link.vdb").c_str());
    SafeWriteFile(RealPath(t.Path() + "link.vdb"), "new");
    EXPECT_EQ(t.Read("real/data.vdb"), "new");
    struct stat st;
    EXPECT_TRUE(lstat((t.Path() + "link.vdb").c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    chmod((t.Path() + "real/data.vdb").c_str(), 0444);
    EXPECT_THROW(SafeWriteFile(RealPath(t.Path() + "link.vdb"), "newer"), EFileError);
    EXPECT_EQ(t.Read("real/data.vdb"), "new");
}

TEST(SafeWrite, FailureInAReadOnlyFolderKeepsTheOldFile) {
    if (geteuid() == 0) {
        // root ignores folder permissions; the size limit test below covers the write side.
        TempDir t;
        EXPECT_THROW(SafeWriteFile(RealPath(t.Path() + "missing-folder/x.txt"), "x"), EFileError);
        return;
    }
    TempDir t;
    t.Write("data.txt", "old");
    chmod(t.Path().c_str(), 0555);
    EXPECT_THROW(SafeWriteFile(RealPath(t.Path() + "data.txt"), "new"), EFileError);
    chmod(t.Path().c_str(), 0755);
    EXPECT_EQ(t.Read("data.txt"), "old");
}

TEST(SafeWrite, FailureWhileWritingKeepsTheOldFileAndRemovesTheTemporary) {
    TempDir t;
    t.Write("data.txt", "old");
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    try {
        SafeWriteFile(RealPath(t.Path() + "data.txt"), std::string(5 << 20, 'x'));
        ADD_FAILURE() << "the write should have failed";
    } catch (const EFileError& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(t.Read("data.txt"), "old");
    EXPECT_EQ(QDir(QString::fromStdString(t.Path())).entryList(QDir::Files).size(), 1);
}

TEST(FileErrors, TextsNameThePathAndTheReason) {
    try {
        ThrowOpenError(Utf8ToGb("/无此/文件.vdb"), ENOENT);
    } catch (const EFileError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file \"/无此/文件.vdb\". No such file or directory");
    }
    try {
        ThrowCreateError("/x", EACCES);
    } catch (const EFileError& e) {
        EXPECT_STREQ(e.what(), "Cannot create file \"/x\". Permission denied");
    }
}
