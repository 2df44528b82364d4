// The folder search on a generated tree against find(1) over the same tree, warm cache.
//   bench_folder_search [tree folder [reads in flight]]   (default: search_tree beside the
//   program, the search's own number of reads)
// The tree (20,000 folders, 200,000 files, about a quarter of them .avi/.mkv/.rmvb in mixed
// case, some hidden folders) is made once and reused by later runs. Last, the listing of a
// long type list against the type-after-type listing it replaced.
#include "BenchUtil.h"
#include "platform/text/GbText.h"
#include "platform/ui/Shell.h"
#include "register/GridStore.h"
#include "search/SearchFiles.h"
#include "search/SearchLocations.h"
#include "search/Wildcard.h"
#include "support/FakeShell.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 20000;
constexpr int kFiles = 200000;

void MakeTree(const fs::path& root) {
    const char* videos[] = {"avi", "MKV", "Rmvb", "AVI", "mkv", "rmvb"};
    const char* others[] = {"txt", "JPG", "srt", "nfo", "Mp3", "idx"};
    // Three levels: 20 x 20 x 49 folders plus the two upper levels, about 20,000 in all;
    // every 50th leaf is hidden. Files are spread evenly over the folders.
    std::vector<fs::path> folders;
    for (int a = 0; a < 20 && int(folders.size()) < kFolders; ++a) {
        fs::path pa = root / ("Disk" + std::to_string(a));
        folders.push_back(pa);
        for (int b = 0; b < 20 && int(folders.size()) < kFolders; ++b) {
            fs::path pb = pa / ("Series_" + std::to_string(b));
            folders.push_back(pb);
            for (int c = 0; c < 49 && int(folders.size()) < kFolders; ++c) {
                std::string name = (c % 50 == 7 ? ".cache" : "season ") + std::to_string(c);
                folders.push_back(pb / name);
            }
        }
    }
    for (const auto& f : folders)
        fs::create_directories(f);
    for (int i = 0; i < kFiles; ++i) {
        const fs::path& folder = folders[size_t(i) % folders.size()];
        bool video = i % 4 == 0;
        std::string ext = video ? videos[(i / 4) % 6] : others[i % 6];
        std::string name = (i % 3 ? "Clip." : "movie ") + std::to_string(i) + "." + ext;
        std::ofstream(folder / name);
    }
    std::ofstream(root / "complete");
}

double TimeFind(const fs::path& root, long& count) {
    std::string command = "find '" + root.string() +
                          "' -type f \\( -iname '*.avi' -o -iname '*.mkv' -o -iname '*.rmvb' "
                          "\\) -not -path '*/.*' | wc -l";
    auto start = std::chrono::steady_clock::now();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe || fscanf(pipe, "%ld", &count) != 1) count = -1;
    if (pipe) pclose(pipe);
    return Seconds(start);
}

// Listing and register fill of a million found files from names kept by a walk (no
// disk): the part of the search whose cost grows with the register.
void TimeMillionListingAndFill() {
    TSearchWork work;
    for (int f = 0; f < 50000; ++f) {
        TSearchFolder folder;
        folder.path = "/MEDIA/DISK" + std::to_string(f % 7) + "/SERIES " + std::to_string(f);
        for (int i = 0; i < 20; ++i)
            folder.fileNames.push_back("EPISODE " + std::to_string(i) + (i % 2 ? ".AVI" : ".MKV"));
        work.lstDirectory.push_back(std::move(folder));
    }
    VideoRegister reg;
    TUnlisted unlisted;
    FakeShell shell = FakeShell::ForBenchmark();
    TEventPace pace(shell);
    const TFileTypes types({"AVI", "MKV", "RMVB"});
    double listing = Time([&] {
        for (const TSearchFolder& folder : work.lstDirectory)
            ListMatchingFiles(work.lstFiles, unlisted, folder, types, pace);
    });
    double fill = Time([&] { FillRegister(reg, work.lstFiles); });
    std::printf("1,000,000 kept names: listing %.3f s, register fill %.3f s\n", listing, fill);
}

// The listing as it was before the type matcher, the anchor: every type against every name
// in turn, a name taken by an earlier type passed over.
std::vector<std::string> ListTypeAfterType(const TSearchFolder& folder,
                                           const std::vector<std::string>& exts) {
    std::vector<std::string> listed;
    std::vector<char> taken(folder.fileNames.size(), 0);
    for (const std::string& ext : exts) {
        const std::string pattern = "*." + ext;
        for (size_t i = 0; i < folder.fileNames.size(); ++i) {
            if (taken[i] || !MatchFilePattern(pattern, folder.fileNames[i])) continue;
            taken[i] = 1;
            listed.push_back(folder.path + "/" + folder.fileNames[i]);
        }
    }
    return listed;
}

// 10,001 types (10,000 plain ones and one wildcard near the end) over 100,000 kept names,
// about one in ten of a listed type: the matcher against the type-after-type listing.
// Returns whether both list the same paths in the same order.
bool TimeLongTypeList() {
    TSearchFolder folder;
    folder.path = "/MEDIA/MANY";
    for (int i = 0; i < 100000; ++i)
        folder.fileNames.push_back("CLIP " + std::to_string(i) + ".T" + std::to_string(i));
    std::vector<std::string> exts;
    for (int t = 0; t < 10000; ++t)
        exts.push_back("T" + std::to_string(t * 10 + 7));
    exts.insert(exts.end() - 5, "T9?9");
    std::vector<std::string> anchor;
    const double old = Time([&] { anchor = ListTypeAfterType(folder, exts); });
    std::vector<double> times;
    TSearchWork work;
    for (int run = 0; run < 5; ++run) {
        work.Clear();
        TUnlisted unlisted;
        FakeShell shell = FakeShell::ForBenchmark();
        TEventPace pace(shell);
        times.push_back(Time(
            [&] { ListMatchingFiles(work.lstFiles, unlisted, folder, TFileTypes(exts), pace); }));
    }
    const double now = Median(times);
    bool same = work.lstFiles.Count() == anchor.size();
    for (size_t i = 0; same && i < anchor.size(); ++i)
        same = work.lstFiles[i] == anchor[i];
    std::printf("10,001 types over 100,000 names: type after type %.3f s, matcher %.4f s "
                "(median of 5), %zu files, ratio %.5f%s\n",
                old, now, anchor.size(), now / old, same ? "" : ", LISTS DIFFER");
    return same;
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    fs::path root =
        argc > 1 ? fs::path(argv[1])
                 : fs::path(QCoreApplication::applicationDirPath().toStdString()) / "search_tree";
    if (!fs::exists(root / "complete")) {
        // Never clear a folder that this program did not make.
        if (fs::exists(root) && !fs::is_empty(root)) {
            std::fprintf(stderr, "%s is not a finished benchmark tree\n", root.c_str());
            return 2;
        }
        auto start = std::chrono::steady_clock::now();
        MakeTree(root);
        std::printf("tree made in %.1f s\n", Seconds(start));
    }
    const unsigned readsInFlight = argc > 2 ? unsigned(std::atoi(argv[2])) : kSearchReadsInFlight;
    long found = 0;
    TimeFind(root, found); // warms the cache
    std::string location = RegisterFormOfPath(fs::canonical(root).string());
    const std::vector<std::string> types = {"AVI", "MKV", "RMVB"};
    double bestFind = 1e9, bestSearch = 1e9;
    size_t folders = 0, files = 0;
    for (int run = 0; run < 5; ++run) {
        bestFind = std::min(bestFind, TimeFind(root, found));
        VideoRegister reg;
        FakeShell shell = FakeShell::ForBenchmark();
        TSearchWork work;
        BreakFlag = false;
        auto start = std::chrono::steady_clock::now();
        SearchFiles(false, {location}, types, work, reg, shell, readsInFlight);
        bestSearch = std::min(bestSearch, Seconds(start));
        folders = work.lstDirectory.size();
        files = work.lstFiles.Count();
    }
    std::printf("find:   %.3f s, %ld files\n", bestFind, found);
    std::printf("search: %.3f s, %zu folders, %zu files (best of 5, %u reads in flight)\n",
                bestSearch, folders, files, readsInFlight);
    std::printf("ratio:  %.2f\n", bestSearch / bestFind);
    TimeMillionListingAndFill();
    const bool sameLists = TimeLongTypeList();
    return long(files) == found && sameLists ? 0 : 1;
}
