#include "controls/MyProgressBarNew.h"

#include <QFontMetrics>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {
// A bar without bevels, so that its bar area is the whole control.
struct PlainBar : TMyProgressBarNew {
    PlainBar(int w, int h) {
        resize(w, h);
        SetBevelOuter(bvNone);
        SetShowPosText(false);
        SetBackgroundColor(QColor(1, 2, 3));
    }
    QColor At(int x, int y) {
        Paint();
        return Picture().pixelColor(x, y);
    }
};
} // namespace

TEST(GradientColor, EndsAreExactAndTheBandFollowsGradient) {
    QColor a(0, 128, 0), b(255, 255, 0);
    EXPECT_EQ(GradientColor(a, b, 100, 1, 50, 1), a);
    EXPECT_EQ(GradientColor(a, b, 100, 100, 50, 1), b);
    // Linear with Gradient 1: line 50 of 100 is 49/99 of the way.
    EXPECT_EQ(GradientColor(a, b, 100, 50, 50, 1).red(), MulDiv(49, 255, 99));
    // Gradient 2: A up to line 25, B from line 75, linear between.
    for (int i : {1, 10, 25})
        EXPECT_EQ(GradientColor(a, b, 100, i, 50, 2), a) << i;
    for (int i : {75, 90, 100})
        EXPECT_EQ(GradientColor(a, b, 100, i, 50, 2), b) << i;
    QColor mid = GradientColor(a, b, 100, 50, 50, 2);
    EXPECT_GT(mid.red(), 0);
    EXPECT_LT(mid.red(), 255);
    try {
        GradientColor(a, b, 7, 8, 50, 1);
        FAIL();
    } catch (const std::range_error& e) {
        EXPECT_STREQ(e.what(), "ColorIndex can't be less than 1 or greater than 7");
    }
    EXPECT_THROW(GradientColor(a, b, 7, 0, 50, 1), std::range_error);
}

TEST(GradientColor, ChannelsWrapModulo256AndMulDivRounds) {
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(2000000000, 3, 4), 1500000000); // 64-bit intermediate
    EXPECT_EQ(MulDiv(5, -255, 99), -13);
    // k between 0 and count with a midpoint of 0 shifts the band: channel arithmetic only.
    QColor c = GradientColor(QColor(200, 0, 0), QColor(10, 0, 0), 3, 2, 50, 1);
    EXPECT_EQ(c.red(), 200 + MulDiv(1, -190, 2)); // 200 - 95
}

TEST(MyProgressBarNew, TwoColourBarHasExactEndColumns) {
    PlainBar bar(120, 10);
    bar.SetBarColorStyle(TMyProgressBarNew::cs2Colors);
    bar.SetPosition(100);
    EXPECT_EQ(bar.At(0, 5), bar.BarColor1());
    EXPECT_EQ(bar.At(119, 5), bar.BarColor2());
}

TEST(MyProgressBarNew, ThreeColourSegmentsSplitAnOddBar) {
    PlainBar bar(101, 6);
    bar.SetPosition(100);
    EXPECT_EQ(bar.At(0, 2), bar.BarColor1());
    EXPECT_EQ(bar.At(49, 2), bar.BarColor2()); // end of the first segment (50 columns)
    EXPECT_EQ(bar.At(50, 2), bar.BarColor2()); // start of the second (51 columns)
    EXPECT_EQ(bar.At(100, 2), bar.BarColor3());
    EXPECT_NE(bar.At(75, 2), bar.BarColor2());
}

TEST(MyProgressBarNew, PositionRulesAndFillDirections) {
    PlainBar bar(100, 100);
    bar.SetBarColorStyle(TMyProgressBarNew::cs1Color);
    bar.SetMax(200);
    bar.SetPosition(201);
    EXPECT_EQ(bar.Position(), 0);
    bar.SetPosition(-1);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(bar.At(0, 0), bar.BackgroundColor()); // at Min: background only
    bar.SetPosition(200);
    EXPECT_EQ(bar.At(99, 99), bar.BarColor1()); // at Max: full
    bar.SetMax(100);
    bar.SetPosition(30);
    bar.SetDirection(TMyProgressBarNew::pdBottomToTop);
    EXPECT_EQ(bar.At(50, 69), bar.BackgroundColor());
    EXPECT_EQ(bar.At(50, 70), bar.BarColor1());
    bar.SetDirection(TMyProgressBarNew::pdRightToLeft);
    EXPECT_EQ(bar.At(69, 50), bar.BackgroundColor());
    EXPECT_EQ(bar.At(70, 50), bar.BarColor1());
    bar.SetDirection(TMyProgressBarNew::pdLeftToRight);
    EXPECT_EQ(bar.At(29, 50), bar.BarColor1());
    EXPECT_EQ(bar.At(30, 50), bar.BackgroundColor());
}

TEST(MyProgressBarNew, TextContentAndPlacement) {
    TMyProgressBarNew bar;
    bar.SetMax(200);
    bar.SetPercentage(true);
    bar.SetPosition(100);
    bar.SetPosTextSuffix(QStringLiteral(" %"));
    EXPECT_EQ(bar.PosText(), QStringLiteral("50 %"));
    bar.SetPosition(1); // 0.5 rounds to even
    EXPECT_EQ(bar.PosText(), QStringLiteral("0 %"));
    bar.SetPosition(3); // 1.5 rounds to even
    EXPECT_EQ(bar.PosText(), QStringLiteral("2 %"));
    bar.SetPercentage(false);
    bar.SetPosTextPrefix(QStringLiteral("#"));
    EXPECT_EQ(bar.PosText(), QStringLiteral("#3 %"));
    bar.SetCaption(QStringLiteral("cap"));
    bar.SetShowCaption(true);
    EXPECT_EQ(bar.PosText(), QStringLiteral("#cap %"));
    bar.SetVersion(QStringLiteral("9"));
    EXPECT_EQ(bar.Version(), QStringLiteral("1.20.0"));

    // Right-aligned text ends 4 pixels before the right edge.
    TMyProgressBarNew right;
    right.resize(200, 20);
    right.SetBevelOuter(TMyProgressBarNew::bvNone);
    right.SetBarColorStyle(TMyProgressBarNew::cs1Color);
    right.SetBackgroundColor(Qt::white);
    right.SetTextAlign(TMyProgressBarNew::taRight);
    right.SetPosTextPrefix(QStringLiteral("WWWW"));
    right.Paint();
    int tw = QFontMetrics(right.font()).horizontalAdvance(right.PosText());
    int firstDark = -1;
    const QImage& img = right.Picture();
    for (int x = 0; x < 200 && firstDark < 0; ++x)
        for (int y = 0; y < 20; ++y)
            if (qGray(img.pixel(x, y)) < 100) {
                firstDark = x;
                break;
            }
    EXPECT_NEAR(firstDark, 200 - tw - 4, 2);
}

TEST(MyProgressBarNew, LoweredBevelAndInsets) {
    TMyProgressBarNew bar;
    bar.resize(50, 20);
    bar.SetBarColorStyle(TMyProgressBarNew::cs1Color);
    bar.SetShowPosText(false);
    bar.SetBorderWidth(2);
    bar.SetBorderWidth(-1); // ignored
    bar.SetBevelWidth(0);   // ignored
    bar.SetGradient(0);     // ignored
    bar.SetMidPoint1(101);  // ignored
    EXPECT_EQ(bar.BorderWidth(), 2);
    EXPECT_EQ(bar.BevelWidth(), 1);
    EXPECT_EQ(bar.Gradient(), 1);
    EXPECT_EQ(bar.MidPoint1(), 50);
    bar.SetPosition(100);
    bar.Paint();
    const QImage& img = bar.Picture();
    QColor light = img.pixelColor(10, 0), dark = img.pixelColor(10, 19);
    EXPECT_EQ(img.pixelColor(0, 10), light); // top and left share one colour
    EXPECT_EQ(img.pixelColor(49, 10), dark); // bottom and right the other
    EXPECT_NE(light, dark);
    EXPECT_EQ(img.pixelColor(2, 10), bar.BackgroundColor()); // the border gap
    EXPECT_EQ(img.pixelColor(3, 10), bar.BarColor1());       // inset 1 + 2
}

TEST(MyProgressBarNew, PositionUpdatesReuseTheCachedBar) {
    PlainBar bar(60, 8);
    bar.SetBarColorStyle(TMyProgressBarNew::cs2Colors);
    bar.SetPosition(100);
    QColor first = bar.At(0, 0);
    // Painting the cache in another colour shows that a position update does not rebuild it,
    // while a colour change (a full paint) does.
    bar.SetBarColor1(Qt::blue);
    EXPECT_EQ(bar.Picture().pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_NE(first, QColor(Qt::blue));
}
