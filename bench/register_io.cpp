// LoadRegister and SaveRegister of a 1,000,000-row database, against `cat FILE >/dev/null`
// and `cp FILE COPY && sync COPY` of the same file, and the resident memory after loading.
//   build/bench/bench_register_io [rows] [folder]
#include "BenchUtil.h"

#include "platform/GbText.h"
#include "register/GridStore.h"

#include <QCoreApplication>
#include <filesystem>
#include <random>

namespace {

// A realistic register line: deep Chinese and Latin paths, sizes, durations, resolutions.
std::string MakeLine(std::mt19937& rng, int row) {
    static const char* words[] = {"电影", "MOVIES", "纪录片", "SERIES", "动画", "2019",
                                  "高清", "BLURAY", "合集",   "DISK2",  "欧美", "ARCHIVE"};
    static const char* names[] = {"生化危机", "ALIEN",     "星际穿越", "THE.MATRIX",
                                  "大话西游", "INCEPTION", "霸王别姬", "BLADE.RUNNER.2049"};
    static const char* types[] = {".RMVB", ".AVI", ".MKV", ".MP4"};
    std::string path = "/MEDIA/";
    int depth = 2 + int(rng() % 4);
    for (int i = 0; i < depth; ++i)
        path += std::string(words[rng() % 12]) + "/";
    char size[32], dur[16], res[16];
    unsigned long long bytes = 100'000'000ULL + rng() % 4'000'000'000ULL;
    std::snprintf(size, sizeof size, "%04llu,%03llu,%03llu", bytes / 1000000, bytes / 1000 % 1000,
                  bytes % 1000);
    int secs = int(rng() % 10000);
    std::snprintf(dur, sizeof dur, "%02d:%02d:%02d", secs / 3600, secs / 60 % 60, secs % 60);
    std::snprintf(res, sizeof res, "%04dx%03d", 320 + int(rng() % 1600), 240 + int(rng() % 760));
    std::string cells[12] = {PadLeft(std::to_string(row), ' ', 5),
                             path,
                             std::string(names[rng() % 8]) + std::to_string(row % 97),
                             types[rng() % 4],
                             size,
                             dur,
                             res,
                             "右声道",
                             "1",
                             "",
                             "",
                             ""};
    std::string line;
    for (auto& c : cells)
        line += c + "^^";
    return Utf8ToGb(line) + "\r\n";
}

} // namespace

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
            out << MakeLine(rng, r);
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
