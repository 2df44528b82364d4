// The search's wildcard against a plain dynamic-programming matcher over characters: the
// same answer for any pattern and name, GB18030 characters kept whole, a-z folded.
#include "FuzzSupport.h"

#include "platform/text/GbText.h"
#include "search/Wildcard.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <vector>

namespace {

std::vector<std::string_view> Characters(std::string_view text) {
    std::vector<std::string_view> chars;
    for (size_t i = 0; i < text.size();) {
        size_t len = GbCharLength(text, i);
        chars.push_back(text.substr(i, len));
        i += len;
    }
    return chars;
}

bool SameCharacter(std::string_view a, std::string_view b) {
    if (a.size() == 1 && b.size() == 1) return UpperCase(a) == UpperCase(b);
    return a == b;
}

bool ReferenceMatch(std::string_view pattern, std::string_view name) {
    auto p = Characters(pattern), n = Characters(name);
    // can[j]: the pattern's first i characters match the name's first j characters.
    std::vector<char> can(n.size() + 1, 0), next(n.size() + 1);
    can[0] = 1;
    for (auto pc : p) {
        if (pc == "*") {
            for (size_t j = 0; j <= n.size(); ++j)
                next[j] = can[j] || (j > 0 && next[j - 1]);
        } else {
            next[0] = 0;
            for (size_t j = 1; j <= n.size(); ++j)
                next[j] = can[j - 1] && (pc == "?" || SameCharacter(pc, n[j - 1]));
        }
        can.swap(next);
    }
    return can[n.size()];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    std::string pattern = fdp.ConsumeRandomLengthString(64);
    std::string name = fdp.ConsumeRemainingBytesAsString();
    FUZZ_CHECK(WildcardMatch(pattern, name) == ReferenceMatch(pattern, name));
    bool extensionRule = pattern.starts_with("*.");
    FUZZ_CHECK(MatchFilePattern(pattern, name) ==
               (extensionRule ? ReferenceMatch(pattern.substr(2), ExtensionOf(name))
                              : ReferenceMatch(pattern, name)));
    if (!extensionRule)
        FUZZ_CHECK(WildcardMatch(pattern, UpperCase(name)) ==
                   WildcardMatch(UpperCase(pattern), name));
    return 0;
}
