#include "register/IniFile.h"

#include "platform/fs/LineReader.h"
#include "platform/fs/Paths.h"
#include "platform/fs/SafeFile.h"
#include "platform/text/GbText.h"

#include <charconv>
#include <vector>

namespace {

bool SameName(std::string_view a, std::string_view b) {
    return UpperCase(a) == UpperCase(b);
}

std::vector<std::string> ReadLines(std::string_view path) {
    std::vector<std::string> lines;
    const RealPath real = RealPath::OfGb(path);
    if (!FileExists(real)) return lines;
    LineReader reader(real, LineReader::Ends::Lf);
    std::string_view line;
    while (reader.Next(line))
        lines.emplace_back(line);
    return lines;
}

// The section name of a "[name]" line, or nothing.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (!line.starts_with('[')) return std::nullopt;
    size_t close = line.find(']');
    std::string_view name = line.substr(1, close == std::string_view::npos ? line.npos : close - 1);
    return Trim(name);
}

// The key name of a "key=value" line (comments and lines without "=" have none).
std::optional<std::string_view> KeyName(std::string_view line) {
    std::string_view t = Trim(line);
    if (t.starts_with(';')) return std::nullopt;
    size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(0, eq));
}

std::string_view ValueOf(std::string_view line) {
    std::string_view v = Trim(line.substr(line.find('=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

struct Located {
    int sectionLine = -1; // index of the section header
    int sectionEnd = -1;  // one past the last line of the section
    int keyLine = -1;
};

Located Locate(const std::vector<std::string>& lines, std::string_view section,
               std::string_view key) {
    Located at;
    for (int i = 0; i < int(lines.size()); ++i) {
        auto name = SectionName(lines[size_t(i)]);
        if (at.sectionLine >= 0) {
            if (name) break;
            auto k = KeyName(lines[size_t(i)]);
            if (at.keyLine < 0 && k && SameName(*k, key)) at.keyLine = i;
            if (!Trim(lines[size_t(i)]).empty()) at.sectionEnd = i + 1;
        } else if (name && SameName(*name, section)) {
            at.sectionLine = i;
            at.sectionEnd = i + 1;
        }
    }
    return at;
}

std::optional<std::string> Lookup(std::string_view path, std::string_view section,
                                  std::string_view key) {
    auto lines = ReadLines(path);
    Located at = Locate(lines, section, key);
    if (at.keyLine < 0) return std::nullopt;
    return std::string(ValueOf(lines[size_t(at.keyLine)]));
}

} // namespace

void IniWriteString(std::string_view path, std::string_view section, std::string_view key,
                    std::string_view value) {
    auto lines = ReadLines(path);
    Located at = Locate(lines, section, key);
    if (at.keyLine >= 0) {
        std::string_view old = lines[size_t(at.keyLine)];
        std::string name(Trim(old.substr(0, old.find('='))));
        lines[size_t(at.keyLine)] = name + "=" + std::string(value);
    } else {
        std::string entry = std::string(key) + "=" + std::string(value);
        if (at.sectionLine >= 0) {
            lines.insert(lines.begin() + at.sectionEnd, entry);
        } else {
            lines.push_back("[" + std::string(section) + "]");
            lines.push_back(entry);
        }
    }
    std::string content;
    for (const auto& l : lines)
        content += l + "\r\n";
    SafeWriteFile(RealPath::OfGb(path), content);
}

std::string IniReadString(std::string_view path, std::string_view section, std::string_view key) {
    return Lookup(path, section, key).value_or(std::string());
}

std::string IniReadStringDef(std::string_view path, std::string_view section, std::string_view key,
                             std::string_view def) {
    return Lookup(path, section, key).value_or(std::string(def));
}

std::optional<int> ParseInt(std::string_view text) {
    text = Trim(text);
    if (text.starts_with('+')) text.remove_prefix(1);
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}
