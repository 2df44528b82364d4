// The four data files of the program, in its data folder.
#pragma once

#include <string>

struct DataPaths {
    std::string vdb;      // "视频登记库.vdb"
    std::string ini;      // "系统参数.INI"
    std::string dirsList; // "搜索路径.txt"
    std::string extList;  // "搜索类型.txt"
};
DataPaths MakeDataPaths(const std::string& programDir);
