#include "controls/MyRadionBtn.h"

#include "controls/WinColor.h"

#include <QAccessible>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

RadioGeometry RadioButtonGeometry(int h, int width, int height, bool buttonAtRight) {
    RadioGeometry g{};
    g.S = 2 * ((h / 2) - 1);
    if (buttonAtRight) {
        g.R = width - 1;
        g.L = g.R - g.S;
    } else {
        g.L = 2;
        g.R = 2 + g.S;
    }
    g.T = (height - g.S) / 2 + 1;
    g.B = g.T + g.S;
    g.CX = g.L + g.S / 2;
    g.CY = g.T + g.S / 2;
    g.d = g.S / 4;
    return g;
}

TMyRadionBtn::TMyRadionBtn(QWidget* parent) : QWidget(parent), bkColor_(ButtonFaceColor()) {
    resize(81, 21);
    UpdateMnemonic();
}

namespace {
template <typename T> bool Store(T& member, const T& value) {
    if (member == value) return false;
    member = value;
    return true;
}
} // namespace

void TMyRadionBtn::SetCaption(const QString& text) {
    if (!Store(caption_, text)) return;
    UpdateMnemonic();
    update();
}

void TMyRadionBtn::SetChecked(bool on) {
    if (!Store(checked_, on)) return;
    if (on && parentWidget()) {
        for (QObject* child : parentWidget()->children()) {
            auto* other = qobject_cast<TMyRadionBtn*>(child);
            if (other && other != this && other->groupIndex_ == groupIndex_)
                other->SetChecked(false);
        }
    }
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
    repaint();
}

void TMyRadionBtn::Press() {
    if (!isEnabled()) return;
    emit OnClick();
    SetChecked(true);
}

void TMyRadionBtn::SetGroupIndex(uint8_t index) {
    if (Store(groupIndex_, index)) update();
}
void TMyRadionBtn::SetButtonShape(TButtonShape shape) {
    if (Store(shape_, shape)) update();
}
void TMyRadionBtn::SetCheckColor(QColor c) {
    if (Store(checkColor_, c)) update();
}
void TMyRadionBtn::SetColor_High(QColor c) {
    if (Store(colorHigh_, c)) update();
}
void TMyRadionBtn::SetColor_Low(QColor c) {
    if (Store(colorLow_, c)) update();
}
void TMyRadionBtn::SetBkColor(QColor c) {
    if (Store(bkColor_, c)) update();
}
void TMyRadionBtn::SetBorderWidth(unsigned w) {
    if (Store(borderWidth_, w)) update();
}
void TMyRadionBtn::SetSpacing(int s) {
    if (Store(spacing_, s)) update();
}
void TMyRadionBtn::SetTextAlign(TTextAlign a) {
    if (Store(textAlign_, a)) update();
}
void TMyRadionBtn::SetTextStyle(TTextStyle s) {
    if (Store(textStyle_, s)) update();
}
void TMyRadionBtn::SetTransparent(bool on) {
    if (Store(transparent_, on)) update();
}

RadioGeometry TMyRadionBtn::Geometry() const {
    // The text height of "JR": the font's line height, as every text of the font has.
    int h = QFontMetrics(font()).height();
    return RadioButtonGeometry(h, width(), height(), textAlign_ == taRight);
}

void TMyRadionBtn::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font());
    RadioGeometry g = Geometry();
    QColor light = checked_ ? colorLow_ : colorHigh_;
    QColor dark = checked_ ? colorHigh_ : colorLow_;
    if (!transparent_) p.fillRect(rect(), bkColor_);

    QPen pen(light);
    pen.setWidth(int(borderWidth_));
    auto penOf = [&](QColor c) {
        pen.setColor(c);
        p.setPen(pen);
    };
    switch (shape_) {
    case btSquare:
        penOf(light);
        p.drawPolyline(QPolygon({QPoint(g.L, g.B - 1), QPoint(g.L, g.T), QPoint(g.R - 1, g.T)}));
        penOf(dark);
        p.drawPolyline(
            QPolygon({QPoint(g.R - 1, g.T), QPoint(g.R - 1, g.B - 1), QPoint(g.L + 1, g.B - 1)}));
        break;
    case btDiamond:
        penOf(light);
        p.drawPolyline(QPolygon({QPoint(g.CX, g.T), QPoint(g.L, g.CY), QPoint(g.CX, g.B)}));
        penOf(dark);
        p.drawPolyline(QPolygon({QPoint(g.CX, g.B), QPoint(g.R, g.CY), QPoint(g.CX, g.T)}));
        break;
    case btRound: {
        // Upper-left half in the light colour, lower-right half in the dark one (angles in
        // 1/16 degree, counter-clockwise from three o'clock).
        QRect box(g.L, g.T, g.S, g.S);
        penOf(light);
        p.drawArc(box, 45 * 16, 180 * 16);
        penOf(dark);
        p.drawArc(box, 225 * 16, 180 * 16);
        break;
    }
    }

    if (checked_) {
        p.setPen(QPen(isEnabled() ? bkColor_ : colorLow_, 1));
        p.setBrush(checkColor_);
        // The mark covers L+d .. R-d-1 and T+d .. B-d-1, its outline included.
        QRect mark(g.L + g.d, g.T + g.d, g.R - g.L - 2 * g.d - 1, g.B - g.T - 2 * g.d - 1);
        switch (shape_) {
        case btSquare:
            p.drawRect(mark);
            break;
        case btRound:
            p.drawEllipse(mark);
            break;
        case btDiamond:
            p.drawPolygon(QPolygon({QPoint(g.L + g.d, g.CY), QPoint(g.CX, g.T + g.d),
                                    QPoint(g.R - g.d, g.CY), QPoint(g.CX, g.B - g.d)}));
            break;
        }
        p.setBrush(Qt::NoBrush);
    }

    QRect textRect = rect();
    int x = g.R + spacing_, y = (height() - g.S) / 2;
    if (textAlign_ == taRight) {
        x = 1;
        textRect.setRight(width() - g.S - spacing_);
    }
    textRect.translate(x, y);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic;
    if (textStyle_ != txNone) {
        int off = textStyle_ == txRaised ? -1 : 1;
        p.setPen(colorHigh_);
        p.drawText(textRect.translated(off, off), flags, caption_);
    }
    p.setPen(isEnabled() ? palette().color(QPalette::WindowText) : colorLow_);
    p.drawText(textRect, flags, caption_);
}

void TMyRadionBtn::mousePressEvent(QMouseEvent* event) {
    if (!isEnabled()) return;
    QPoint at = event->position().toPoint();
    if (movable_) pressPoint_ = at;
    if (popUpMenu_) {
        popUpMenu_->exec(mapToGlobal(QPoint(0, height())));
        // The menu took the release; handle one at the press point.
        Release(at);
    }
}

void TMyRadionBtn::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void TMyRadionBtn::mouseReleaseEvent(QMouseEvent* event) {
    QPoint at = event->position().toPoint();
    if (isEnabled() && event->button() == Qt::LeftButton && rect().contains(at))
        emit OnClick(); // before the release handling: Checked still holds its old value
    Release(at);
}

void TMyRadionBtn::Release(QPoint at) {
    if (!isEnabled()) return;
    bool inside = at.x() >= 0 && at.x() <= width() && at.y() >= 0 && at.y() <= height();
    if (inside && !checked_) SetChecked(true);
    repaint();
}

void TMyRadionBtn::enterEvent(QEnterEvent*) {
    if (!isEnabled()) return;
    mouseInside_ = true;
    emit OnMouseEnter();
}

void TMyRadionBtn::leaveEvent(QEvent*) {
    if (!isEnabled()) return;
    mouseInside_ = false;
    emit OnMouseExit();
}

void TMyRadionBtn::changeEvent(QEvent* event) {
    QWidget::changeEvent(event); // which schedules the repaint in the other colours
    if (event->type() == QEvent::EnabledChange && !isEnabled()) mouseInside_ = false;
}

void TMyRadionBtn::UpdateMnemonic() {
    if (shortcutId_) releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    QKeySequence key = QKeySequence::mnemonic(caption_);
    if (!key.isEmpty()) shortcutId_ = grabShortcut(key);
}

bool TMyRadionBtn::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut &&
        static_cast<QShortcutEvent*>(event)->shortcutId() == shortcutId_) {
        if (!isEnabled()) return QWidget::event(event);
        Press();
        return true;
    }
    return QWidget::event(event);
}
