#include "register/DataPaths.h"

#include "platform/text/GbText.h"

DataPaths MakeDataPaths(const std::string& programDir) {
    return {programDir + Utf8ToGb("视频登记库.vdb"), programDir + Utf8ToGb("系统参数.INI"),
            programDir + Utf8ToGb("搜索路径.txt"), programDir + Utf8ToGb("搜索类型.txt")};
}
