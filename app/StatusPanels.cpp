#include "app/StatusPanels.h"

#include "app/ShownText.h"

#include <QLabel>
#include <QScreen>

TStatusPanels::TStatusPanels(const QList<int>& widths, QWidget* parent)
    : QFrame(parent), widths_(widths) {
    for (int i = 0; i < widths_.size(); ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("SB%1").arg(i));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setTextFormat(Qt::PlainText);
        panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        panels_.append(panel);
    }
}

QString TStatusPanels::Text(int index) const {
    return panels_[index]->text();
}

void TStatusPanels::SetText(int index, const QString& text) {
    panels_[index]->setText(ShownPart(text, ShownWidth()));
}

int TStatusPanels::ShownWidth() const {
    // No panel is wider than the bar or its screen, whichever is wider.
    return std::max(width(), screen()->geometry().width());
}

void TStatusPanels::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    // Fixed widths from the left; the last panel also takes what is left over.
    int x = 0;
    for (int i = 0; i < panels_.size(); ++i) {
        int w = i + 1 == panels_.size() ? std::max(widths_[i], width() - x) : widths_[i];
        panels_[i]->setGeometry(x, 2, w - 2, height() - 2);
        x += widths_[i];
    }
}
