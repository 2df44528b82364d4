#include "register/StorableCell.h"

#include "platform/GbText.h"

CellFault CellFaultOf(std::string_view text) {
    bool doubleCaret = false, lineBreak = false, lastCaret = false, incomplete = false;
    for (size_t i = 0; i < text.size();) {
        const size_t len = GbCharLength(text, i);
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool caret = len == 1 && c == '^';
        doubleCaret = doubleCaret || (caret && lastCaret);
        lineBreak = lineBreak || c == '\r' || c == '\n'; // never a trail byte
        // A lead byte standing alone at the end would pair with the separator's caret.
        incomplete = len == 1 && c >= 0x81 && c <= 0xFE;
        lastCaret = caret;
        i += len;
    }
    if (doubleCaret) return CellFault::DoubleCaret;
    if (lastCaret) return CellFault::EndsInCaret;
    if (incomplete) return CellFault::IncompleteChar;
    return lineBreak ? CellFault::LineBreak : CellFault::None;
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
    }
    return {};
}
