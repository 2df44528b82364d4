// TMyProgressBarNew: the program's gradient progress bar. It paints a solid bar, a two- or
// three-colour gradient or a tiled picture, with optional bevels and a centred or aligned
// text. Every setter repaints at once (synchronously), so a loop that never yields still
// shows its progress; position and text changes reuse a cached image of the full bar.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

// One colour of a gradient segment of `count` lines, for line `index` (1 .. count).
// Throws std::range_error for an index outside 1 .. count.
QColor GradientColor(QColor a, QColor b, int count, int index, int midpoint, int gradient);
// a * b / c with a 64-bit intermediate, rounded to the nearest (halves away from zero).
int MulDiv(int a, int b, int c);

class TMyProgressBarNew : public QWidget {
    Q_OBJECT
public:
    enum TBarColorStyle { cs1Color, cs2Colors, cs3Colors };
    enum TBevelCut { bvNone, bvLowered, bvRaised };
    enum TProgressDirection { pdLeftToRight, pdRightToLeft, pdBottomToTop, pdTopToBottom };
    enum TTextAlign { taLeft, taCenter, taRight };

    explicit TMyProgressBarNew(QWidget* parent = nullptr);

    QColor BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(QColor c);
    const QImage& BarBitmap() const { return barBitmap_; }
    void SetBarBitmap(const QImage& image);
    QColor BarColor1() const { return barColor1_; }
    void SetBarColor1(QColor c);
    QColor BarColor2() const { return barColor2_; }
    void SetBarColor2(QColor c);
    QColor BarColor3() const { return barColor3_; }
    void SetBarColor3(QColor c);
    TBarColorStyle BarColorStyle() const { return barColorStyle_; }
    void SetBarColorStyle(TBarColorStyle s);
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut b);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut b);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int w);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int w);
    TProgressDirection Direction() const { return direction_; }
    void SetDirection(TProgressDirection d);
    int Gradient() const { return gradient_; }
    void SetGradient(int g);
    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    int MidPoint1() const { return midPoint1_; }
    void SetMidPoint1(int v);
    int MidPoint2() const { return midPoint2_; }
    void SetMidPoint2(int v);
    bool Percentage() const { return percentage_; }
    void SetPercentage(bool on);
    int Position() const { return position_; }
    void SetPosition(int v);
    QString Caption() const { return caption_; }
    void SetCaption(const QString& text);
    QString PosTextPrefix() const { return prefix_; }
    void SetPosTextPrefix(const QString& text);
    QString PosTextSuffix() const { return suffix_; }
    void SetPosTextSuffix(const QString& text);
    bool ShowCaption() const { return showCaption_; }
    void SetShowCaption(bool on);
    bool ShowPosText() const { return showPosText_; }
    void SetShowPosText(bool on);
    bool UseBitmap() const { return useBitmap_; }
    void SetUseBitmap(bool on);
    TTextAlign TextAlign() const { return textAlign_; }
    void SetTextAlign(TTextAlign a);
    QString Version() const { return QStringLiteral("1.20.0"); }
    void SetVersion(const QString&) {} // fixed: the control's own version

    // The text the bar shows (without regard to ShowPosText).
    QString PosText() const;
    // The off-screen picture of the last paint.
    const QImage& Picture() const { return picture_; }
    // Composes the off-screen picture (the control's paint without the copy to the screen).
    void Paint();

signals:
    void OnClick();
    void OnDblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int Inset() const;
    QRect BarArea() const;
    void DrawBar(QImage& img, bool rebuild);
    void PaintGradient(QImage& img) const;
    void DrawBevels(QImage& img) const;
    void DrawText(QImage& img) const;
    // Stores nothing itself: paints at once after a setter has stored its value.
    void PaintNow();
    // Position and text setters reuse the cached bar image.
    void PaintNowCached();

    QColor backgroundColor_;
    QImage barBitmap_;
    QColor barColor1_{0, 128, 0}, barColor2_{255, 255, 0}, barColor3_{255, 0, 0};
    TBarColorStyle barColorStyle_ = cs3Colors;
    TBevelCut bevelInner_ = bvNone, bevelOuter_ = bvLowered;
    int bevelWidth_ = 1, borderWidth_ = 0;
    TProgressDirection direction_ = pdLeftToRight;
    int gradient_ = 1, min_ = 0, max_ = 100, midPoint1_ = 50, midPoint2_ = 50;
    bool percentage_ = false;
    int position_ = 0;
    QString caption_, prefix_, suffix_;
    bool showCaption_ = false, showPosText_ = true, useBitmap_ = false;
    TTextAlign textAlign_ = taLeft;

    QImage picture_;  // the off-screen picture
    QImage barCache_; // the full bar, reused by position and text updates
    bool rebuild_ = true;
    bool pictureFresh_ = false; // composed by a setter, not yet shown
};
