// The generator of realistic register databases shared by the benchmarks.
#pragma once

#include "platform/text/GbText.h"
#include "register/GridStore.h"

#include <cstdio>
#include <random>
#include <string>

// A realistic register line (GB18030, CR LF): deep Chinese and Latin paths, sizes,
// durations, resolutions. The main name is one of eight titles followed by nameId, both
// chosen by nameId, so the caller decides how often names repeat.
inline std::string MakeRegisterLine(std::mt19937& rng, int row, int nameId) {
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
                             std::string(names[unsigned(nameId) % 8]) + std::to_string(nameId),
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
