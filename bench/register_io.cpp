// LoadRegister and SaveRegister of a 1,000,000-row database, against `cat FILE >/dev/null`
// and `cp FILE COPY && sync COPY` of the same file, and the resident memory after loading.
//   build/bench/bench_register_io [rows] [folder]
//   build/bench/bench_register_io blank [lines] [folder]   a database of line ends only: the
//       memory a loaded (and so renumbered) blank row costs
#include "BenchUtil.h"
#include "RegisterGenerator.h"

#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <QCoreApplication>
#include <filesystem>

namespace {

int BlankLines(int lines, const std::string& dir) {
    const std::string file = dir + "/blank.vdb";
    {
        std::ofstream out(file, std::ios::binary);
        const std::string chunk(2 << 20, '\n');
        for (int left = lines; left > 0; left -= int(chunk.size()))
            out.write(chunk.data(), std::min<long>(left, long(chunk.size())));
    }
    VideoRegister reg;
    const long long before = ResidentBytes(), peakBefore = PeakResidentBytes();
    const double seconds = Time([&] { LoadRegister(reg, file); });
    const long long resident = ResidentBytes() - before, peak = PeakResidentBytes() - peakBefore;
    std::printf("blank rows %d, load %.2f s, resident %.0f MB = %.1f bytes a row, peak +%.0f MB\n",
                reg.LastRow(), seconds, double(resident) / 1e6, double(resident) / lines,
                double(peak) / 1e6);
    std::filesystem::remove(file);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 1 && std::string_view(argv[1]) == "blank") {
        const std::string dir = argc > 3 ? argv[3] : "/tmp/tavlora-bench";
        std::filesystem::create_directories(dir);
        return BlankLines(argc > 2 ? std::atoi(argv[2]) : 20'000'000, dir);
    }
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
