#include "app/GridText.h"

#include "platform/text/GbText.h"

std::string NextChannel(std::string_view channel) {
    static const std::string left = Utf8ToGb("左声道"), stereo = Utf8ToGb("立体声"),
                             right = Utf8ToGb("右声道");
    if (channel == left) return stereo;
    if (channel == stereo) return right;
    return left;
}
