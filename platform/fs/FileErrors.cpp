#include "platform/fs/FileErrors.h"

#include "platform/text/GbText.h"

#include <cstring>
#include <string>

namespace {
std::string Quoted(const char* what, std::string_view gbPath, int err) {
    return std::string(what) + " \"" + GbToUtf8(gbPath) + "\". " + std::strerror(err);
}
} // namespace

void ThrowOpenError(std::string_view gbPath, int err) {
    throw EFileError(Quoted("Cannot open file", gbPath, err));
}

void ThrowCreateError(std::string_view gbPath, int err) {
    throw EFileError(Quoted("Cannot create file", gbPath, err));
}

void ThrowWriteError() {
    throw EFileError("Stream write error");
}

void ThrowReadError() {
    throw EFileError("Stream read error");
}
