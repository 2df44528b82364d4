// File and stream failures. The texts are the program's own; the reason is the system's text
// for errno. They end the current command and reach the general error report.
#pragma once

#include <stdexcept>
#include <string_view>

class EFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "Cannot open file "<path>". <reason>" (path given as GB18030)
[[noreturn]] void ThrowOpenError(std::string_view gbPath, int err);
// "Cannot create file "<path>". <reason>"
[[noreturn]] void ThrowCreateError(std::string_view gbPath, int err);
[[noreturn]] void ThrowWriteError();
[[noreturn]] void ThrowReadError();
