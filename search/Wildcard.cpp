#include "search/Wildcard.h"

#include "platform/text/GbText.h"

namespace {

char Fold(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// Compares the character at name[n] with the pattern character at pattern[p]; returns the
// length matched in name, 0 when they differ.
size_t MatchOne(std::string_view pattern, size_t p, std::string_view name, size_t n) {
    size_t nameLen = GbCharLength(name, n);
    if (pattern[p] == '?') return nameLen;
    size_t patLen = GbCharLength(pattern, p);
    if (patLen != nameLen || n + nameLen > name.size()) return 0;
    if (nameLen == 1) return Fold(pattern[p]) == Fold(name[n]) ? 1 : 0;
    return pattern.substr(p, patLen) == name.substr(n, nameLen) ? nameLen : 0;
}

} // namespace

// Greedy matching with one backtrack point, the last "*": linear for the usual patterns
// and never worse than pattern length times name length.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
    size_t p = 0, n = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = ++p;
            starN = n;
            continue;
        }
        if (p < pattern.size()) {
            if (size_t len = MatchOne(pattern, p, name, n)) {
                p += pattern[p] == '?' ? 1 : len;
                n += len;
                continue;
            }
        }
        if (starP == std::string_view::npos) return false;
        starN += GbCharLength(name, starN);
        p = starP;
        n = starN;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string_view ExtensionOf(std::string_view name) {
    size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

bool MatchFilePattern(std::string_view pattern, std::string_view name) {
    if (pattern.starts_with("*.")) return WildcardMatch(pattern.substr(2), ExtensionOf(name));
    return WildcardMatch(pattern, name);
}
