#include "controls/MyProgressBarNew.h"

#include "controls/WinColor.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>

int MulDiv(int a, int b, int c) {
    int64_t p = int64_t(a) * b;
    int64_t d = c;
    if (d < 0) {
        p = -p;
        d = -d;
    }
    return int(p >= 0 ? (p + d / 2) / d : (p - d / 2) / d);
}

QColor GradientColor(QColor a, QColor b, int count, int index, int midpoint, int gradient) {
    if (index < 1 || index > count)
        throw std::range_error("ColorIndex can't be less than 1 or greater than " +
                               std::to_string(count));
    int shift = (count - (gradient * count * 2 * midpoint) / 100) / 2;
    int k = gradient * index + shift;
    if (k <= 0) return a;
    if (k >= count) return b;
    auto channel = [&](int ca, int cb) { return (ca + MulDiv(k - 1, cb - ca, count - 1)) & 0xFF; };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                  channel(a.blue(), b.blue()));
}

TMyProgressBarNew::TMyProgressBarNew(QWidget* parent)
    : QWidget(parent), backgroundColor_(ButtonFaceColor()) {
    resize(200, 20);
}

// --- setters: store, then paint at once -------------------------------------------------

void TMyProgressBarNew::PaintNow() {
    Paint();
    pictureFresh_ = true;
    if (isVisible()) repaint();
}

// Position and text: what an assistive technology reads of the bar changes too.
void TMyProgressBarNew::PaintNowCached() {
    rebuild_ = false;
    PaintNow();
    if (!QAccessible::isActive()) return;
    QAccessibleValueChangeEvent value(this, position_);
    QAccessible::updateAccessibility(&value);
    QAccessibleEvent name(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&name);
}

namespace {
// Stores a changed value; false when the value equals the current one.
template <typename T> bool Store(T& member, const T& value) {
    if (member == value) return false;
    member = value;
    return true;
}
} // namespace

void TMyProgressBarNew::SetBackgroundColor(QColor value) {
    if (Store(backgroundColor_, value)) PaintNow();
}
void TMyProgressBarNew::SetBarColor1(QColor value) {
    if (Store(barColor1_, value)) PaintNow();
}
void TMyProgressBarNew::SetBarColor2(QColor value) {
    if (Store(barColor2_, value)) PaintNow();
}
void TMyProgressBarNew::SetBarColor3(QColor value) {
    if (Store(barColor3_, value)) PaintNow();
}
void TMyProgressBarNew::SetBarColorStyle(TBarColorStyle value) {
    if (Store(barColorStyle_, value)) PaintNow();
}
void TMyProgressBarNew::SetBevelInner(TBevelCut value) {
    if (Store(bevelInner_, value)) PaintNow();
}
void TMyProgressBarNew::SetBevelOuter(TBevelCut value) {
    if (Store(bevelOuter_, value)) PaintNow();
}
void TMyProgressBarNew::SetDirection(TProgressDirection value) {
    if (Store(direction_, value)) PaintNow();
}
void TMyProgressBarNew::SetMin(int value) {
    if (Store(min_, value)) PaintNow();
}
void TMyProgressBarNew::SetMax(int value) {
    if (Store(max_, value)) PaintNow();
}
void TMyProgressBarNew::SetPercentage(bool value) {
    if (Store(percentage_, value)) PaintNow();
}
void TMyProgressBarNew::SetShowPosText(bool value) {
    if (Store(showPosText_, value)) PaintNow();
}
void TMyProgressBarNew::SetUseBitmap(bool value) {
    if (Store(useBitmap_, value)) PaintNow();
}

void TMyProgressBarNew::SetBevelWidth(int value) {
    if (value < 1 || value == bevelWidth_) return;
    bevelWidth_ = value;
    PaintNow();
}

void TMyProgressBarNew::SetBorderWidth(int value) {
    if (value < 0 || value == borderWidth_) return;
    borderWidth_ = value;
    PaintNow();
}

void TMyProgressBarNew::SetGradient(int value) {
    if (value < 1 || value == gradient_) return;
    gradient_ = value;
    PaintNow();
}

void TMyProgressBarNew::SetMidPoint1(int value) {
    if (value < 0 || value > 100 || value == midPoint1_) return;
    midPoint1_ = value;
    PaintNow();
}

void TMyProgressBarNew::SetMidPoint2(int value) {
    if (value < 0 || value > 100 || value == midPoint2_) return;
    midPoint2_ = value;
    PaintNow();
}

void TMyProgressBarNew::SetTextAlign(TTextAlign value) {
    textAlign_ = value; // always repaints
    PaintNow();
}

void TMyProgressBarNew::SetBarBitmap(const QImage& image) {
    barBitmap_ = image.copy();
    rebuild_ = true;
    PaintNow();
}

void TMyProgressBarNew::SetPosition(int value) {
    if (value == position_ || value < min_ || value > max_) return;
    position_ = value;
    PaintNowCached();
}

void TMyProgressBarNew::SetCaption(const QString& value) {
    if (value == caption_) return;
    caption_ = value;
    PaintNowCached();
}

void TMyProgressBarNew::SetPosTextPrefix(const QString& value) {
    if (value == prefix_) return;
    prefix_ = value;
    PaintNowCached();
}

void TMyProgressBarNew::SetPosTextSuffix(const QString& value) {
    if (value == suffix_) return;
    suffix_ = value;
    PaintNowCached();
}

void TMyProgressBarNew::SetShowCaption(bool value) {
    if (value == showCaption_) return;
    showCaption_ = value;
    PaintNowCached();
}

// --- painting ------------------------------------------------------------------------------

int TMyProgressBarNew::Inset() const {
    int bevel =
        (bevelInner_ == bvNone ? 0 : bevelWidth_) + (bevelOuter_ == bvNone ? 0 : bevelWidth_);
    return bevel + borderWidth_;
}

QRect TMyProgressBarNew::BarArea() const {
    int inset = Inset();
    return QRect(inset, inset, width() - 2 * inset, height() - 2 * inset);
}

void TMyProgressBarNew::Paint() {
    if (picture_.size() != size()) picture_ = QImage(size(), QImage::Format_RGB32);
    if (picture_.isNull()) return;
    DrawBar(picture_, rebuild_);
    DrawBevels(picture_);
    if (showPosText_) DrawText(picture_);
    rebuild_ = true;
}

void TMyProgressBarNew::DrawBar(QImage& img, bool rebuild) {
    QPainter p(&img);
    p.fillRect(img.rect(), backgroundColor_);
    QRect area = BarArea();
    if (area.width() <= 0 || area.height() <= 0) return;
    // The cache follows the bar area: a size change forces a rebuild.
    bool stale = rebuild || barCache_.size() != area.size();
    if (useBitmap_ && !barBitmap_.isNull()) {
        if (stale) {
            barCache_ = QImage(area.size(), QImage::Format_RGB32);
            barCache_.fill(backgroundColor_);
            QPainter cp(&barCache_);
            int tw = barBitmap_.width(), th = barBitmap_.height();
            for (int i = 0; i <= height() / th; ++i)
                for (int j = 0; j <= width() / tw; ++j)
                    cp.drawImage(j * tw, i * th, barBitmap_);
        }
        p.drawImage(area.topLeft(), barCache_);
    } else if (barColorStyle_ == cs1Color) {
        p.fillRect(area, barColor1_);
    } else {
        if (stale) {
            barCache_ = QImage(area.size(), QImage::Format_RGB32);
            PaintGradient(barCache_);
        }
        p.drawImage(area.topLeft(), barCache_);
    }

    bool horizontal = direction_ == pdLeftToRight || direction_ == pdRightToLeft;
    int length = horizontal ? area.width() : area.height();
    int filled = 0;
    if (position_ > min_ && max_ != min_)
        filled = int(std::nearbyint(double(position_ - min_) / std::abs(max_ - min_) * length));
    int unfilled = length - filled;
    if (unfilled <= 0) return;
    QRect gap;
    switch (direction_) {
    case pdLeftToRight:
        gap = QRect(area.right() + 1 - unfilled, area.top(), unfilled, area.height());
        break;
    case pdRightToLeft:
        gap = QRect(area.left(), area.top(), unfilled, area.height());
        break;
    case pdTopToBottom:
        gap = QRect(area.left(), area.bottom() + 1 - unfilled, area.width(), unfilled);
        break;
    case pdBottomToTop:
        gap = QRect(area.left(), area.top(), area.width(), unfilled);
        break;
    }
    p.fillRect(gap, backgroundColor_);
}

void TMyProgressBarNew::PaintGradient(QImage& img) const {
    bool horizontal = direction_ == pdLeftToRight || direction_ == pdRightToLeft;
    bool reversed = direction_ == pdRightToLeft || direction_ == pdBottomToTop;
    int n = horizontal ? img.width() : img.height();
    QPainter p(&img);
    auto line = [&](int at, QColor c) {
        if (horizontal)
            p.fillRect(at, 0, 1, img.height(), c);
        else
            p.fillRect(0, at, img.width(), 1, c);
    };
    if (barColorStyle_ == cs2Colors) {
        QColor a = reversed ? barColor2_ : barColor1_, b = reversed ? barColor1_ : barColor2_;
        for (int i = 1; i <= n; ++i)
            line(i - 1, GradientColor(a, b, n, i, midPoint1_, gradient_));
        return;
    }
    QColor a = reversed ? barColor3_ : barColor1_, b = barColor2_;
    QColor c = barColor2_, d = reversed ? barColor1_ : barColor3_;
    int half = n / 2;
    for (int i = 1; i <= half; ++i)
        line(i - 1, GradientColor(a, b, half, i, midPoint1_, gradient_));
    for (int i = half + 1; i <= n; ++i)
        line(i - 1, GradientColor(c, d, n - half, i - half, midPoint2_, gradient_));
}

void TMyProgressBarNew::DrawBevels(QImage& img) const {
    QPainter p(&img);
    int left = 0, top = 0, right = width() - 1, bottom = height() - 1;
    for (TBevelCut cut : {bevelOuter_, bevelInner_}) {
        if (cut == bvNone) continue;
        QColor light = cut == bvRaised ? ButtonHighlightColor() : ButtonShadowColor();
        QColor dark = cut == bvRaised ? ButtonShadowColor() : ButtonHighlightColor();
        for (int i = 0; i < bevelWidth_; ++i) {
            if (left >= right || top >= bottom) return;
            // Each line leaves out its end point, so every border pixel is drawn once.
            p.fillRect(QRect(QPoint(left + 1, top), QPoint(right, top)), light);
            p.fillRect(QRect(QPoint(left, top), QPoint(left, bottom - 1)), light);
            p.fillRect(QRect(QPoint(left, bottom), QPoint(right - 1, bottom)), dark);
            p.fillRect(QRect(QPoint(right, top + 1), QPoint(right, bottom)), dark);
            ++left;
            ++top;
            --right;
            --bottom;
        }
    }
}

QString TMyProgressBarNew::PosText() const {
    if (showCaption_) return prefix_ + caption_ + suffix_;
    if (percentage_) {
        // The range is the caller's to keep non-empty; an empty one shows 0.
        int pct =
            max_ == min_ ? 0 : int(std::nearbyint(double(position_ - min_) * 100 / (max_ - min_)));
        return prefix_ + QString::number(pct) + suffix_;
    }
    return prefix_ + QString::number(position_) + suffix_;
}

void TMyProgressBarNew::DrawText(QImage& img) const {
    QPainter p(&img);
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    QFontMetrics fm(font());
    QString text = PosText();
    int tw = fm.horizontalAdvance(text), th = fm.height();
    int y = height() / 2 - th / 2;
    int x = textAlign_ == taLeft     ? 4
            : textAlign_ == taCenter ? width() / 2 - tw / 2
                                     : width() - tw - 4;
    p.drawText(x, y + fm.ascent(), text);
}

void TMyProgressBarNew::paintEvent(QPaintEvent*) {
    if (!pictureFresh_ || picture_.size() != size()) Paint();
    pictureFresh_ = false;
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

void TMyProgressBarNew::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) PaintNow();
}

void TMyProgressBarNew::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit OnClick();
}

void TMyProgressBarNew::mouseDoubleClickEvent(QMouseEvent*) {
    emit OnDblClick();
}
