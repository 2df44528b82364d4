// TMyRadionBtn: the program's own radio button, a transparent control that draws a round,
// square or diamond button with a raised or sunken rim, a filled mark when checked, and an
// optionally embossed caption. Buttons of one parent with the same GroupIndex form a group
// in which at most one is checked.
#pragma once

#include <QColor>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <cstdint>

#include <QMenu>

// The button's box inside the control, from the height h of "JR" in the control's font.
struct RadioGeometry {
    int S, L, R, T, B, CX, CY, d;
};
RadioGeometry RadioButtonGeometry(int h, int width, int height, bool buttonAtRight);

class TMyRadionBtn : public QWidget {
    Q_OBJECT
public:
    enum TButtonShape { btRound, btSquare, btDiamond };
    enum TTextAlign { taLeft, taRight };
    enum TTextStyle { txNone, txRaised, txLowered };

    explicit TMyRadionBtn(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& text);
    bool Checked() const { return checked_; }
    void SetChecked(bool on);
    // What the accelerator key does (and an assistive technology's press): OnClick, then
    // checked. Nothing while disabled.
    void Press();
    uint8_t GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(uint8_t index);
    TButtonShape ButtonShape() const { return shape_; }
    void SetButtonShape(TButtonShape shape);
    QColor CheckColor() const { return checkColor_; }
    void SetCheckColor(QColor c);
    QColor Color_High() const { return colorHigh_; }
    void SetColor_High(QColor c);
    QColor Color_Low() const { return colorLow_; }
    void SetColor_Low(QColor c);
    QColor BkColor() const { return bkColor_; }
    void SetBkColor(QColor c);
    unsigned BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(unsigned w);
    int Spacing() const { return spacing_; }
    void SetSpacing(int s);
    TTextAlign TextAlign() const { return textAlign_; }
    void SetTextAlign(TTextAlign a);
    TTextStyle TextStyle() const { return textStyle_; }
    void SetTextStyle(TTextStyle s);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on);
    QMenu* PopUpMenu() const { return popUpMenu_; }
    void SetPopUpMenu(QMenu* menu) { popUpMenu_ = menu; }
    bool Movable() const { return movable_; }
    void SetMovable(bool on) { movable_ = on; }
    bool AutoGray() const { return autoGray_; }
    void SetAutoGray(bool on) { autoGray_ = on; }
    bool ShowPressed() const { return showPressed_; }
    void SetShowPressed(bool on) { showPressed_ = on; }

    RadioGeometry Geometry() const;
    bool MouseInside() const { return mouseInside_; }

signals:
    void OnClick();
    void OnMouseEnter();
    void OnMouseExit();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Release(QPoint at);
    void UpdateMnemonic();

    QString caption_ = QStringLiteral("RadioButton");
    bool checked_ = false;
    uint8_t groupIndex_ = 0;
    TButtonShape shape_ = btRound;
    QColor checkColor_{255, 128, 0}, colorHigh_{224, 224, 224}, colorLow_{180, 180, 180};
    QColor bkColor_;
    unsigned borderWidth_ = 2;
    int spacing_ = 2;
    TTextAlign textAlign_ = taLeft;
    TTextStyle textStyle_ = txRaised;
    bool transparent_ = true;
    QPointer<QMenu> popUpMenu_; // cleared when the menu is destroyed
    bool movable_ = false, autoGray_ = true, showPressed_ = true;
    bool mouseInside_ = false;
    QPoint pressPoint_;
    int shortcutId_ = 0;
};
