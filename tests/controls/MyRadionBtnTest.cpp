#include "controls/MyRadionBtn.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

TEST(MyRadionBtn, GeometryFromATwelvePixelFont) {
    RadioGeometry g = RadioButtonGeometry(12, 81, 17, false);
    EXPECT_EQ(g.S, 10);
    EXPECT_EQ(g.L, 2);
    EXPECT_EQ(g.T, 4);
    EXPECT_EQ(g.R, 12);
    EXPECT_EQ(g.B, 14);
    EXPECT_EQ(g.d, 2);
    // The square mark (L + d, T + d, R - d, B - d).
    EXPECT_EQ(QRect(QPoint(g.L + g.d, g.T + g.d), QPoint(g.R - g.d, g.B - g.d)),
              QRect(QPoint(4, 6), QPoint(10, 12)));
    RadioGeometry right = RadioButtonGeometry(12, 81, 17, true);
    EXPECT_EQ(right.R, 80);
    EXPECT_EQ(right.L, 70);
}

TEST(MyRadionBtn, GroupRuleByParentAndIndex) {
    QWidget parent, other;
    TMyRadionBtn a(&parent), b(&parent), c(&parent), d(&parent), e(&other);
    d.SetGroupIndex(1);
    d.SetChecked(true);
    e.SetChecked(true);
    a.SetChecked(true);
    b.SetChecked(true);
    EXPECT_FALSE(a.Checked());
    EXPECT_TRUE(b.Checked());
    EXPECT_FALSE(c.Checked());
    EXPECT_TRUE(d.Checked()); // another group
    EXPECT_TRUE(e.Checked()); // another parent
    b.SetChecked(false);      // the program may leave the group empty
    EXPECT_FALSE(a.Checked() || b.Checked() || c.Checked());
}

TEST(MyRadionBtn, ClickIsReportedBeforeTheStateChanges) {
    QWidget parent;
    TMyRadionBtn a(&parent), b(&parent);
    a.SetChecked(true);
    std::vector<bool> seenInClick;
    QObject::connect(&b, &TMyRadionBtn::OnClick, [&] { seenInClick.push_back(b.Checked()); });
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(seenInClick.size(), 1u);
    EXPECT_FALSE(seenInClick[0]);
    EXPECT_TRUE(b.Checked());
    EXPECT_FALSE(a.Checked());
    // Clicking the checked button: reported, no change.
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(seenInClick.size(), 2u);
    EXPECT_TRUE(b.Checked());
    // A right button checks without a click.
    QTest::mouseClick(&a, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(a.Checked());
    EXPECT_EQ(seenInClick.size(), 2u);
}

TEST(MyRadionBtn, DisabledButtonIgnoresTheMouseAndDrawsInColorLow) {
    QWidget parent;
    TMyRadionBtn a(&parent), b(&parent);
    b.SetChecked(true);
    a.setEnabled(false);
    QSignalSpy clicks(&a, &TMyRadionBtn::OnClick);
    QTest::mouseClick(&a, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(a.Checked());

    TMyRadionBtn off;
    off.resize(81, 17);
    off.SetButtonShape(TMyRadionBtn::btSquare);
    off.SetTextStyle(TMyRadionBtn::txNone);
    off.SetTransparent(false);
    off.SetBkColor(Qt::white);
    off.SetCaption(QStringLiteral("W"));
    off.SetChecked(true);
    off.setEnabled(false);
    QImage img(off.size(), QImage::Format_RGB32);
    off.render(&img);
    RadioGeometry g = off.Geometry();
    EXPECT_EQ(img.pixelColor(g.L + g.d, g.CY), off.Color_Low()); // mark outline
    EXPECT_EQ(img.pixelColor(g.CX, g.CY), off.CheckColor());     // mark fill
    bool captionInLow = false;
    for (int y = 0; y < 17; ++y)
        for (int x = g.R + off.Spacing(); x < 81; ++x)
            captionInLow |= img.pixelColor(x, y) == off.Color_Low();
    EXPECT_TRUE(captionInLow);
}

TEST(MyRadionBtn, SquareButtonRimAndMarkPixels) {
    TMyRadionBtn btn;
    btn.resize(81, 17);
    btn.SetButtonShape(TMyRadionBtn::btSquare);
    btn.SetBorderWidth(1);
    btn.SetTransparent(false);
    btn.SetBkColor(Qt::white);
    btn.SetCaption(QString());
    QImage img(btn.size(), QImage::Format_RGB32);
    btn.render(&img);
    RadioGeometry g = btn.Geometry();
    EXPECT_EQ(img.pixelColor(g.L, g.T + 2), btn.Color_High());    // raised: light left
    EXPECT_EQ(img.pixelColor(g.R - 1, g.T + 2), btn.Color_Low()); // dark right
    EXPECT_EQ(img.pixelColor(g.CX, g.CY), QColor(Qt::white));     // no mark
    btn.SetChecked(true);
    btn.render(&img);
    EXPECT_EQ(img.pixelColor(g.L, g.T + 2), btn.Color_Low()); // sunken
    EXPECT_EQ(img.pixelColor(g.CX, g.CY), btn.CheckColor());
    EXPECT_EQ(img.pixelColor(g.L + g.d, g.T + g.d), QColor(Qt::white)); // outline in BkColor
    EXPECT_EQ(img.pixelColor(g.R - g.d, g.CY), QColor(Qt::white));      // right edge excluded
}

TEST(MyRadionBtn, AcceleratorClicksAndChecks) {
    QWidget parent;
    TMyRadionBtn a(&parent), b(&parent);
    a.SetCaption(QStringLiteral("&Left"));
    b.SetChecked(true);
    parent.show();
    QSignalSpy clicks(&a, &TMyRadionBtn::OnClick);
    QApplication::setActiveWindow(&parent);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    // Delivered through the shortcut map, as the form hands accelerators on.
    QTest::keyClick(&parent, Qt::Key_L, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(a.Checked());
    EXPECT_FALSE(b.Checked());
}
