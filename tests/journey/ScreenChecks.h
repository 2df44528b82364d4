// What a screenshot of the main window shows of the register grid and the video pane: the
// colour a row's text is drawn in, and how much of an area is lit.
#pragma once

#include "RealWindow.h"
#include "app/RegisterGrid.h"
#include "app/uFrmMain.h"

#include <QColor>

// The text colours of the rows, by picture width, as a person names them.
enum class TextHue { Plain, Red, Blue, Fuchsia };

inline const char* HueName(TextHue hue) {
    switch (hue) {
    case TextHue::Red:
        return "red";
    case TextHue::Blue:
        return "blue";
    case TextHue::Fuchsia:
        return "fuchsia";
    default:
        return "plain";
    }
}

// The hue of a strongly coloured pixel (anti-aliased edges included); Plain for greys.
inline TextHue HueOf(QRgb pixel) {
    QColor c(pixel);
    if (c.hsvSaturation() < 80 || c.value() < 120) return TextHue::Plain;
    int h = c.hsvHue();
    if (h <= 15 || h >= 345) return TextHue::Red;
    if (h >= 220 && h <= 250) return TextHue::Blue;
    if (h >= 285 && h <= 315) return TextHue::Fuchsia;
    return TextHue::Plain;
}

// The part of a window's screenshot that shows rect (in part's coordinates) of a widget.
inline QImage AreaOf(const QImage& shot, QWidget& window, QWidget& part, const QRect& rect) {
    qreal dpr = shot.devicePixelRatio();
    QRect r(part.mapTo(&window, rect.topLeft()), rect.size());
    return shot.copy(QRect(r.topLeft() * dpr, r.size() * dpr));
}

// The colour of the row number of a register row as the screenshot shows it: the number
// cell is never drawn selected, so the row's colour shows there whatever is selected.
inline TextHue RowHueOnScreen(const QImage& shot, TFrmMain& w, int row) {
    QRect cell = w.sg->visualRect(w.Register().index(row - 1, 0));
    QImage part = AreaOf(shot, w, *w.sg->viewport(), cell);
    int counts[4] = {};
    for (int y = 0; y < part.height(); ++y)
        for (int x = 0; x < part.width(); ++x)
            ++counts[int(HueOf(part.pixel(x, y)))];
    // Black text gives no coloured pixels; coloured text a few dozen of one hue.
    TextHue best = TextHue::Plain;
    int most = 4;
    for (TextHue hue : {TextHue::Red, TextHue::Blue, TextHue::Fuchsia}) {
        if (counts[int(hue)] > most) {
            most = counts[int(hue)];
            best = hue;
        }
    }
    return best;
}

// The share of an area's pixels that are lit (not near black).
inline double LitShare(const QImage& img) {
    if (img.isNull() || img.width() * img.height() == 0) return 0;
    int lit = CountPixels(img, [](QRgb p) { return qGray(p) > 40 || qBlue(p) > 80; });
    return double(lit) / (img.width() * img.height());
}
