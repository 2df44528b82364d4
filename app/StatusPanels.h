// The status bar SB: four sunken panels of fixed widths side by side.
#pragma once

#include <QFrame>
#include <QList>
#include <QString>

class QLabel;

class TStatusPanels : public QFrame {
    Q_OBJECT
public:
    TStatusPanels(const QList<int>& widths, QWidget* parent = nullptr);

    int PanelCount() const { return int(panels_.size()); }
    int PanelWidth(int index) const { return widths_[index]; }
    QString Text(int index) const;
    // A text longer than a panel can show is kept only as far as it can be seen.
    void SetText(int index, const QString& text);
    // The widest any panel can be: what a text is cut to.
    int ShownWidth() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QList<int> widths_;
    QList<QLabel*> panels_;
};
