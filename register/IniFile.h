// The settings file "系统参数.INI" in the profile-file format: [section] lines and key=value
// lines, CR LF, GB18030. Each call opens the file for itself; writes go to disk at once.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Writes the value: replaces the key's line in place, adds a new key after the last line of
// its section, a missing section at the end, creates a missing file. Throws EFileError.
void IniWriteString(std::string_view path, std::string_view section, std::string_view key,
                    std::string_view value);
// The stored value, or "" when the file, section or key is missing.
std::string IniReadString(std::string_view path, std::string_view section, std::string_view key);
// The stored value when the section holds the key (even an empty one), else the default.
std::string IniReadStringDef(std::string_view path, std::string_view section, std::string_view key,
                             std::string_view def);

// A decimal integer (optional sign, then digits only), or nothing.
std::optional<int> ParseInt(std::string_view text);
