// The file-name wildcard of the search: "*" stands for any run of characters, "?" for one
// character, and letter case (a-z) is ignored. Text is GB18030, so "?" steps over a whole
// multi-byte character.
#pragma once

#include <string_view>

bool WildcardMatch(std::string_view pattern, std::string_view name);

// The extension of a name: its part after the last dot, "" when it has no dot.
std::string_view ExtensionOf(std::string_view name);

// A pattern "*.E" selects the names whose extension matches E as a wildcard, so "*."
// selects the names without an extension and "*.RMVB" finds A.B.RMVB; any other pattern
// is matched against the whole name.
bool MatchFilePattern(std::string_view pattern, std::string_view name);
