// The folder search on a slow network share (slowsharefs: every call answered after 1 ms),
// against find(1) and fd (fdfind) on the same mount in the same run.
//   bench_share_search [tree folder]   (default: share_tree beside the program)
// The tree holds 2,000 folders and 20,000 files. Each tool gets a fresh mount, so none
// finds entries or attributes cached by the one before it.
#include "BenchUtil.h"
#include "register/GridStore.h"
#include "search/SearchFiles.h"
#include "search/SearchLocations.h"
#include "support/FakeShell.h"
#include "support/SlowShare.h"

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kDelayUs = 1000;

// 10 disks x 10 series x 19 seasons plus the upper levels: 2,010 folders; 20,000 files,
// a quarter of them videos.
void MakeTree(const fs::path& root) {
    std::vector<fs::path> folders;
    for (int a = 0; a < 10; ++a) {
        fs::path pa = root / ("Disk" + std::to_string(a));
        folders.push_back(pa);
        for (int b = 0; b < 10; ++b) {
            fs::path pb = pa / ("Series_" + std::to_string(b));
            folders.push_back(pb);
            for (int c = 0; c < 19; ++c)
                folders.push_back(pb / ("season " + std::to_string(c)));
        }
    }
    for (const auto& f : folders)
        fs::create_directories(f);
    const char* types[] = {"avi", "MKV", "txt", "srt"};
    for (int i = 0; i < 20000; ++i)
        std::ofstream(folders[size_t(i) % folders.size()] /
                      ("clip " + std::to_string(i) + "." + types[i % 4]));
    std::ofstream(root / "complete");
}

// Mounts the tree afresh, runs `tool` on the mount point, unmounts.
double OnFreshMount(const fs::path& tree, const fs::path& mount,
                    const std::function<void(const std::string&)>& tool) {
    TSlowShare share(tree.string(), mount.string(), kDelayUs, 1);
    if (!share.Mounted()) {
        std::fprintf(stderr, "the share did not mount\n");
        std::exit(2);
    }
    return Time([&] { tool(mount.string()); });
}

long CountLines(const std::string& command) {
    long count = -1;
    if (FILE* pipe = popen((command + " | wc -l").c_str(), "r")) {
        if (std::fscanf(pipe, "%ld", &count) != 1) count = -1;
        pclose(pipe);
    }
    return count;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    if (!TSlowShare::Usable()) return 2;
    const fs::path base = QCoreApplication::applicationDirPath().toStdString();
    const fs::path tree = argc > 1 ? fs::path(argv[1]) : base / "share_tree";
    if (!fs::exists(tree / "complete")) {
        if (fs::exists(tree) && !fs::is_empty(tree)) {
            std::fprintf(stderr, "%s is not a finished benchmark tree\n", tree.c_str());
            return 2;
        }
        MakeTree(tree);
    }
    const fs::path mount = base / "share_mount";
    long findCount = 0, fdCount = 0;
    size_t folders = 0, files = 0;
    auto search = [&](unsigned readsInFlight) {
        return OnFreshMount(tree, mount, [&](const std::string& at) {
            VideoRegister reg;
            FakeShell shell = FakeShell::ForBenchmark();
            TSearchWork work;
            BreakFlag = false;
            SearchFiles(false, {RegisterFormOfPath(at)}, {"AVI", "MKV"}, work, reg, shell,
                        readsInFlight);
            folders = work.lstDirectory.size();
            files = work.lstFiles.Count();
        });
    };
    const double find = OnFreshMount(tree, mount, [&](const std::string& at) {
        findCount = CountLines(
            "find '" + at + "' -type f \\( -iname '*.avi' -o -iname '*.mkv' \\) -not -path '*/.*'");
    });
    const double fd = OnFreshMount(tree, mount, [&](const std::string& at) {
        fdCount = CountLines("fdfind -t f -e avi -e mkv . '" + at + "'");
    });
    const double serial = search(1);
    std::printf("one read in flight: %.2f s\n", serial);
    for (unsigned n : {4u, 8u, 32u}) {
        const double t = search(n);
        std::printf("%u reads in flight: %.2f s\n", n, t);
    }
    const double ours = search(kSearchReadsInFlight);
    std::printf("find:   %.2f s, %ld files\n", find, findCount);
    std::printf("fdfind: %.2f s, %ld files\n", fd, fdCount);
    std::printf("search: %.2f s, %zu folders, %zu files (%u reads in flight)\n", ours, folders,
                files, kSearchReadsInFlight);
    std::printf("ratio to find: %.2f, to fdfind: %.2f\n", ours / find, ours / fd);
    return long(files) == findCount && findCount == fdCount ? 0 : 1;
}
