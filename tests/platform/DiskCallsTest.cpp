#include "platform/disks/DiskCalls.h"
#include "platform/threads/HandOver.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <sys/sysmacros.h>
#include <thread>

// First in the program, so that no earlier wait hides it: a worker that finishes after the
// wait for it has ended (here on a thread whose dispatcher is gone with it, as at the
// program's exit) wakes nothing; the sanitizer runs see any touch of the deleted dispatcher.
TEST(EventWait, AWakeAfterTheWaitTouchesNoDispatcher) {
    struct Waiter : QThread {
        int asked = 0;
        void run() override {
            WaitUntil([&] { return ++asked > 3; }, 5000, {});
        }
    } waiter;
    waiter.start();
    ASSERT_TRUE(waiter.wait(10000));
    EXPECT_EQ(waiter.asked, 4);
    WakeEventWait();
}

TEST(MountTable, EscapesDecodedAndTheLongestMountPointHoldsAPath) {
    const auto mounts =
        ParseMountInfo("22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                       "40 22 0:50 / /mnt/my\\040films rw master:7 - cifs //nas/share\\134x rw\n"
                       "41 40 0:51 / /mnt/my\\040films/Deep rw - nfs4 nas:/deep rw\n"
                       "broken line\n");
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(mounts[1].path, "/mnt/my films");
    EXPECT_EQ(mounts[1].fsType, "cifs");
    EXPECT_EQ(mounts[1].source, "//nas/share\\x");
    EXPECT_EQ(FileSystemOfDevice(mounts, makedev(0, 51)), "nfs4");
    EXPECT_EQ(FileSystemOfDevice(mounts, makedev(9, 9)), "");
    EXPECT_EQ(MountOfRegisterPath(mounts, "/MNT/MY FILMS/DEEP/A.AVI"), &mounts[2]);
    EXPECT_EQ(MountOfRegisterPath(mounts, "/MNT/MY FILMS/DEEPER/A.AVI"), &mounts[1]);
    EXPECT_EQ(MountOfRegisterPath(mounts, "/MNT/MY FILMSX"), &mounts[0]);
    EXPECT_EQ(MountOfRegisterPath(mounts, "REL/A.AVI"), nullptr);
}

// A call stuck past the deadline marks its mount once; later paths on it get no answer at
// once, and the command goes on; a stop ends the wait without marking anything.
TEST(DiskCalls, AStuckCallCostsOneDeadlinePerMount) {
    SetDiskDeadlineMs(300);
    auto release = std::make_shared<std::atomic<bool>>(false);
    std::vector<std::string> marked;
    TDiskCalls calls([&](const TMountPoint& m) { marked.push_back(m.registerForm); }, {});
    const auto answers = calls.Map<int>({"/A", "/STUCK", "/B"}, [release](const std::string& p) {
        while (p == "/STUCK" && !*release)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return int(p.size());
    });
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[0], 2);
    EXPECT_FALSE(answers[1] || answers[2]);
    EXPECT_EQ(marked, std::vector<std::string>{"/"});
    EXPECT_FALSE(calls.Answering("/C"));
    EXPECT_FALSE(calls.Call("/C", [] { return 1; }));
    EXPECT_FALSE(calls.Stopped());

    int asked = 0;
    TDiskCalls stopped({}, [&] { return ++asked > 2; });
    EXPECT_FALSE(stopped.Call("/STUCK", [release] {
        while (!*release)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return 1;
    }));
    EXPECT_TRUE(stopped.Stopped());
    *release = true; // the abandoned workers end by themselves
    SetDiskDeadlineMs(kDiskDeadlineMs);
}

TEST(HandOver, CallsRunOnTheUiThreadInOrderAndNoneAfterTheClose) {
    QObject context;
    THandOver handOver(&context);
    std::vector<int> seen;
    std::thread([handOver, &seen] {
        for (int i = 0; i < 3; ++i)
            handOver.Post([&seen, i] { seen.push_back(i); });
    }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2}));
    handOver.Close();
    handOver.Post([&seen] { seen.push_back(9); });
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.size(), 3u);
}
