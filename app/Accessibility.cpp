#include "app/Accessibility.h"

#include "controls/MyRadionBtn.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

namespace {
QString CaptionOf(QWidget* w) {
    QString text;
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        text = b->text();
    else if (auto* l = qobject_cast<QLabel*>(w))
        text = l->text();
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        text = g->title();
    else if (auto* r = qobject_cast<TMyRadionBtn*>(w))
        text = r->Caption();
    return text.remove(QLatin1Char('&')).trimmed();
}
} // namespace

void SetAccessibleNames(QWidget* root) {
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || !w->accessibleName().isEmpty()) continue;
        QString name = CaptionOf(w);
        if (name.isEmpty()) name = w->toolTip();
        if (name.isEmpty()) name = w->objectName();
        w->setAccessibleName(name);
    }
}
