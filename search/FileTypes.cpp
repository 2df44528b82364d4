#include "search/FileTypes.h"

#include "platform/text/GbText.h"
#include "search/Wildcard.h"

#include <algorithm>

namespace {

// "*" and "?" are never a byte of a longer GB18030 character, so a type without them
// matches exactly the extensions equal to it once a-z are upper-cased.
bool IsPlain(std::string_view type) {
    return type.find_first_of("*?") == std::string_view::npos;
}

bool HasLowerCase(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

} // namespace

TFileTypes::TFileTypes(const std::vector<std::string>& exts) {
    for (uint32_t i = 0; i < exts.size(); ++i) {
        if (IsPlain(exts[i]))
            plain_.try_emplace(UpperCase(exts[i]), i);
        else
            wildcards_.push_back({i, exts[i]});
    }
}

uint32_t TFileTypes::FirstMatch(std::string_view name) const {
    const std::string_view extension = ExtensionOf(name);
    // Register names are upper case already; only other text needs a folded copy.
    const auto found =
        HasLowerCase(extension) ? plain_.find(UpperCase(extension)) : plain_.find(extension);
    const uint32_t plain = found == plain_.end() ? kNone : found->second;
    for (const Wildcard& w : wildcards_) {
        if (w.index > plain) break;
        if (WildcardMatch(w.pattern, extension)) return w.index;
    }
    return plain;
}
