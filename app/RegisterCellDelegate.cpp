#include "app/RegisterCellDelegate.h"

#include "app/RowColours.h"
#include "app/ShownText.h"
#include "controls/WinColor.h"
#include "register/GridStore.h"

#include <QPainter>

void RegisterCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    int col = index.column(), row = index.row() + 1;
    bool fixed = col == colNumber;
    bool selected = !fixed && (option.state & QStyle::State_Selected);
    const QPalette& pal = option.palette;

    QColor background = fixed      ? ButtonFaceColor()
                        : selected ? pal.color(QPalette::Highlight)
                                   : pal.color(QPalette::Base);
    QColor text = selected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text);
    if (auto colour = RowTextColour(reg_.Cell(colResolution, row))) text = *colour;

    painter->save();
    painter->fillRect(option.rect, background);
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    painter->setPen(text);
    QFontMetrics fm(option.font);
    painter->drawText(option.rect.left() + 2, option.rect.top() + 2 + fm.ascent(),
                      GbShownPart(reg_.Cell(col, row), option.rect.width() - 2));
    painter->restore();
}
