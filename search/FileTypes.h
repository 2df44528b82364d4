// The file types of a search (lstExt) as one matcher. A type E selects the names whose
// extension matches E as a wildcard (MatchFilePattern with "*.E"); a name belongs to the
// first type in list order that selects it. A list of thousands of types costs one hash
// lookup per name: the plain types (no "*" or "?") are found by their upper-case text, and
// only the wildcard types that come before it in the list are tried, in order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TFileTypes {
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    explicit TFileTypes(const std::vector<std::string>& exts);

    bool Empty() const { return plain_.empty() && wildcards_.empty(); }
    // The number of wildcard types: the most that one name may cost beyond its lookup.
    uint32_t WildcardCount() const { return uint32_t(wildcards_.size()); }
    // The index of the first type that selects the name, kNone when none does.
    uint32_t FirstMatch(std::string_view name) const;

private:
    struct TextHash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    struct Wildcard {
        uint32_t index;
        std::string pattern;
    };
    std::unordered_map<std::string, uint32_t, TextHash, std::equal_to<>> plain_; // first index
    std::vector<Wildcard> wildcards_;                                            // in list order
};
