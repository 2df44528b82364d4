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

    VideoRegister reg;
    long long before = ResidentBytes();
    TimeShell("cat " + file + " > /dev/null"); // warm the page cache for both sides
    double catTime = TimeShell("cat " + file + " > /dev/null");
    double loadTime = Time([&] { LoadRegister(reg, file); });
    long long resident = ResidentBytes() - before;
    double cpTime = TimeShell("cp " + file + " " + copy + " && sync " + copy);
    double saveTime = Time([&] { SaveRegister(reg, saved); });

    std::printf("rows %d, file %.1f MB\n", reg.LastRow(), double(fileSize) / 1e6);
    std::printf("LoadRegister   %.3f s   anchor cat      %.3f s   ratio %.2f\n", loadTime, catTime,
                loadTime / catTime);
    std::printf("SaveRegister   %.3f s   anchor cp+sync  %.3f s   ratio %.2f\n", saveTime, cpTime,
                saveTime / cpTime);
    std::printf("resident after load %.1f MB = %.2f x file size\n", double(resident) / 1e6,
                double(resident) / double(fileSize));
    std::filesystem::remove(copy);
    std::filesystem::remove(saved);
    std::filesystem::remove(file);
    return 0;
}
