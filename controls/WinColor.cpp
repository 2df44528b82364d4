#include "controls/WinColor.h"

#include <QApplication>
#include <QPalette>

QColor ButtonFaceColor() {
    return QApplication::palette().color(QPalette::Button);
}
QColor ButtonHighlightColor() {
    return QApplication::palette().color(QPalette::Light);
}
QColor ButtonShadowColor() {
    return QApplication::palette().color(QPalette::Dark);
}
