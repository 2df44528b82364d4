#include "register/utPublic.h"

std::string_view TextPiece(std::string_view text, std::string_view sep, int n) {
    if (n < 1 || sep.empty()) return n == 1 ? text : std::string_view();
    for (int i = 1;; ++i) {
        size_t at = text.find(sep);
        if (i == n) return at == std::string_view::npos ? text : text.substr(0, at);
        if (at == std::string_view::npos) return {};
        text.remove_prefix(at + sep.size());
    }
}

int PieceCount(std::string_view text, std::string_view sep) {
    if (sep.empty()) return 1;
    int count = 1;
    for (size_t at = text.find(sep); at != std::string_view::npos;
         at = text.find(sep, at + sep.size()))
        ++count;
    return count;
}
