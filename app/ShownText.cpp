#include "app/ShownText.h"

#include "platform/text/GbText.h"

#include <algorithm>

namespace {
size_t ShownChars(int width) {
    return size_t(std::max(width, 0)) + 1;
}
} // namespace

QString GbShownPart(std::string_view gb, int width) {
    size_t end = 0;
    for (size_t chars = ShownChars(width); chars > 0 && end < gb.size(); --chars)
        end += GbCharLength(gb, end);
    return GbToQString(gb.substr(0, end));
}

QString ShownPart(const QString& text, int width) {
    qsizetype chars = qsizetype(ShownChars(width));
    if (text.size() <= chars) return text;
    // Not between the two halves of a surrogate pair.
    if (text[chars - 1].isHighSurrogate()) --chars;
    return text.left(chars);
}
