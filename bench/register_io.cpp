// LoadRegister and SaveRegister of a 1,000,000-row database, against `cat FILE >/dev/null`
// and `cp FILE COPY && sync COPY` of the same file, and the resident memory after loading.
//   build/bench/bench_register_io [rows] [folder]
#include "BenchUtil.h"
#include "RegisterGenerator.h"

#include "platform/GbText.h"
#include "register/GridStore.h"

#include <QCoreApplication>
#include <filesystem>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int rows = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    std::string dir = argc > 2 ? argv[2] : "/tmp/tavlora-bench";
    std::filesystem::create_directories(dir);
    std::string file = dir + "/register.vdb", copy = dir + "/copy.vdb", saved = dir + "/saved.vdb";

    std::mt19937 rng(42);
    {
        std::ofstream out(file, std::ios::binary);
        for (int r = 1; r <= rows; ++r)
            out << MakeRegisterLine(rng, r, r % 97);
    }
    auto fileSize = std::filesystem::file_size(file);
    // The generated file goes to disk first: its writeback would otherwise run into the
    // timed saves and their anchors.
    TimeShell("sync");
    TimeShell("cat " + file + " > /dev/null"); // warm the page cache for both sides
    // Each side five times, alternating, so that a burst of other work on the machine
    // shows in one pair and the medians stay.
    constexpr int kRuns = 5;
    std::vector<double> cat, load, cp, save;
    long long resident = 0;
    int loaded = 0;
    for (int i = 0; i < kRuns; ++i) {
        cat.push_back(TimeShell("cat " + file + " > /dev/null"));
        VideoRegister reg;
        long long before = ResidentBytes();
        load.push_back(Time([&] { LoadRegister(reg, file); }));
        if (i == 0) resident = ResidentBytes() - before;
        cp.push_back(TimeShell("cp " + file + " " + copy + " && sync " + copy));
        save.push_back(Time([&] { SaveRegister(reg, saved); }));
        std::filesystem::remove(copy);
        std::filesystem::remove(saved);
        TimeShell("sync");
        loaded = reg.LastRow();
    }
    const double catTime = Median(cat), loadTime = Median(load), cpTime = Median(cp),
                 saveTime = Median(save);
    std::printf("rows %d, file %.1f MB, median of %d runs\n", loaded, double(fileSize) / 1e6,
                kRuns);
    std::printf("LoadRegister   %.3f s   anchor cat      %.3f s   ratio %.2f\n", loadTime, catTime,
                loadTime / catTime);
    std::printf("SaveRegister   %.3f s   anchor cp+sync  %.3f s   ratio %.2f\n", saveTime, cpTime,
                saveTime / cpTime);
    std::printf("resident after load %.1f MB = %.2f x file size\n", double(resident) / 1e6,
                double(resident) / double(fileSize));
    std::filesystem::remove(file);
    return 0;
}
