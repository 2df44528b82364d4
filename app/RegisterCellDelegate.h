// Paints the cells of the register grid (sgDrawCell): the row's colour by picture width,
// the fixed look of the number column, the text 2 pixels in from the top-left corner.
#pragma once

#include "register/VideoRegister.h"

#include <QStyledItemDelegate>

class RegisterCellDelegate : public QStyledItemDelegate {
public:
    RegisterCellDelegate(const VideoRegister& reg, QObject* parent)
        : QStyledItemDelegate(parent), reg_(reg) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    const VideoRegister& reg_;
};
