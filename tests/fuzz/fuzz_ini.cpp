// The settings file: any bytes read without harm; a write of a key and a read of it give
// the value back (trimmed, one pair of quotes removed), other keys read as before, and the
// file is rewritten with CR LF line ends and no temporary file left behind.
#include "FuzzSupport.h"

#include "platform/text/GbText.h"
#include "register/IniFile.h"

#include <dirent.h>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

// A section or key name as the program writes them: no line end, no "=", "[" or "]", not a
// comment, no blanks around it, not empty.
std::string Name(FuzzedDataProvider& fdp) {
    std::string name;
    for (char ch : fdp.ConsumeRandomLengthString(12))
        if (ch != '\n' && ch != '\r' && ch != '=' && ch != '[' && ch != ']') name += ch;
    name = std::string(Trim(name));
    if (name.empty() || name[0] == ';') name.insert(0, "K");
    return name;
}

// What a read gives for a written value.
std::string Expected(std::string_view value) {
    std::string_view v = Trim(value);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

int FilesIn(const std::string& dir) {
    int n = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            n += e->d_name[0] != '.';
        closedir(d);
    }
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    std::string section = Name(fdp), key = Name(fdp);
    std::string otherSection = Name(fdp), otherKey = Name(fdp);
    std::string value = fdp.ConsumeRandomLengthString(64);
    std::erase(value, '\n'); // a settings value is one line
    std::string content = fdp.ConsumeRemainingBytesAsString();

    const std::string path = ScratchDir() + "settings.ini";
    WriteBytes(path, content);
    std::string before = IniReadStringDef(path, otherSection, otherKey, "\x01missing");
    FUZZ_CHECK(IniReadString(path, otherSection, otherKey) ==
               (before == "\x01missing" ? "" : before));

    IniWriteString(path, section, key, value);
    FUZZ_CHECK(IniReadString(path, section, key) == Expected(value));
    FUZZ_CHECK(IniReadStringDef(path, section, key, "\x01missing") == Expected(value));
    bool sameKey =
        UpperCase(section) == UpperCase(otherSection) && UpperCase(key) == UpperCase(otherKey);
    if (!sameKey)
        FUZZ_CHECK(IniReadStringDef(path, otherSection, otherKey, "\x01missing") == before);

    std::string written = ReadBytes(path);
    FUZZ_CHECK(written.ends_with("\r\n"));
    for (size_t lf = written.find('\n'); lf != written.npos; lf = written.find('\n', lf + 1))
        FUZZ_CHECK(lf > 0 && written[lf - 1] == '\r');
    FUZZ_CHECK(FilesIn(ScratchDir()) == 1);
    return 0;
}
