#include "register/StorableCell.h"

#include "platform/text/GbText.h"

CellFault CellFaultOf(std::string_view text) {
    bool doubleCaret = false, lineBreak = false, lastCaret = false, incomplete = false, tab = false;
    for (size_t i = 0; i < text.size();) {
        const size_t len = GbCharLength(text, i);
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool caret = len == 1 && c == '^';
        doubleCaret = doubleCaret || (caret && lastCaret);
        lineBreak = lineBreak || c == '\r' || c == '\n'; // never a trail byte
        tab = tab || c == '\t';
        // A lead byte standing alone at the end would pair with the separator's caret.
        incomplete = len == 1 && c >= 0x81 && c <= 0xFE;
        lastCaret = caret;
        i += len;
    }
    if (doubleCaret) return CellFault::DoubleCaret;
    if (lastCaret) return CellFault::EndsInCaret;
    if (incomplete) return CellFault::IncompleteChar;
    if (lineBreak) return CellFault::LineBreak;
    return tab ? CellFault::Tab : CellFault::None;
}

CellFault FileNameFault(std::string_view name, std::string_view type) {
    // "/" is never the trail byte of a GB18030 character.
    if (name.find('/') != std::string_view::npos || type.find('/') != std::string_view::npos)
        return CellFault::Separator;
    const size_t length = name.size() + type.size();
    auto dotsOnly = [](std::string_view t) { return t.find_first_not_of('.') == t.npos; };
    const bool dots = dotsOnly(name) && dotsOnly(type);
    return length >= 1 && length <= 2 && dots ? CellFault::DotName : CellFault::None;
}

QString CellFaultText(CellFault fault) {
    switch (fault) {
    case CellFault::None:
        break;
    case CellFault::DoubleCaret:
        return QStringLiteral("含有“^^”");
    case CellFault::EndsInCaret:
        return QStringLiteral("以“^”结尾");
    case CellFault::LineBreak:
        return QStringLiteral("含有换行");
    case CellFault::IncompleteChar:
        return QStringLiteral("以不完整的字符结尾");
    case CellFault::Tab:
        return QStringLiteral("含有制表符");
    case CellFault::Separator:
        return QStringLiteral("含有“/”");
    case CellFault::DotName:
        return QStringLiteral("是“.”或“..”");
    }
    return {};
}
