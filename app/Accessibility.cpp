#include "app/Accessibility.h"

#include "controls/MyProgressBarNew.h"
#include "controls/MyRadionBtn.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QGroupBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTabWidget>

namespace {

// A caption as read aloud: without its accelerator mark.
QString Stripped(QString text) {
    return text.remove(QLatin1Char('&')).trimmed();
}

// The channel buttons: radio buttons that say whether they are on and can be pressed.
class RadioButtonAccessible : public QAccessibleWidget {
public:
    explicit RadioButtonAccessible(TMyRadionBtn* button)
        : QAccessibleWidget(button, QAccessible::RadioButton) {}

    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty()) text = Stripped(Button()->Caption());
        return text;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = Button()->Checked();
        return s;
    }
    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << pressAction();
    }
    void doAction(const QString& action) override {
        if (action == pressAction() && Button()->isEnabled())
            Button()->Press();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    TMyRadionBtn* Button() const { return static_cast<TMyRadionBtn*>(widget()); }
};

// The gradient bars: progress bars with their position, range and shown text.
class ProgressBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ProgressBarAccessible(TMyProgressBarNew* bar)
        : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if ((t == QAccessible::Name || t == QAccessible::Value) && text.isEmpty() &&
            Bar()->ShowPosText())
            text = Bar()->PosText();
        return text;
    }
    QVariant currentValue() const override { return Bar()->Position(); }
    void setCurrentValue(const QVariant&) override {} // shown, not set by the user
    QVariant maximumValue() const override { return Bar()->Max(); }
    QVariant minimumValue() const override { return Bar()->Min(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    TMyProgressBarNew* Bar() const { return static_cast<TMyProgressBarNew*>(widget()); }
};

QAccessibleInterface* ControlsFactory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("TMyRadionBtn"))
        return new RadioButtonAccessible(static_cast<TMyRadionBtn*>(widget));
    if (className == QLatin1String("TMyProgressBarNew"))
        return new ProgressBarAccessible(static_cast<TMyProgressBarNew*>(widget));
    if (className == QLatin1String("TStatusPanels"))
        return new QAccessibleWidget(widget, QAccessible::StatusBar);
    if (className == QLatin1String("TVideoWindow") || className == QLatin1String("TFullScreenView"))
        return new QAccessibleWidget(widget, QAccessible::Animation);
    if (className == QLatin1String("TFrmMain"))
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

// The text of the label whose buddy w is, on w's parent.
QString BuddyText(QWidget* w) {
    if (!w->parentWidget()) return {};
    for (auto* label : w->parentWidget()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        if (label->buddy() == w) return Stripped(label->text());
    return {};
}

// The caption of the page or the title of the group box that holds w.
QString PlaceText(QWidget* w) {
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (auto* group = qobject_cast<QGroupBox*>(p)) return Stripped(group->title());
        if (auto* stack = qobject_cast<QStackedWidget*>(p->parentWidget())) {
            if (auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget()))
                return Stripped(tabs->tabText(tabs->indexOf(p)));
        }
    }
    return {};
}

} // namespace

void InstallAccessibleInterfaces() {
    static const bool installed = [] {
        QAccessible::installFactory(ControlsFactory);
        return true;
    }();
    (void)installed;
}

void NameControls(QWidget* root) {
    for (QWidget* w : root->findChildren<QWidget*>()) {
        // A control that hands its focus on is read through the one that takes it.
        if (w->focusPolicy() == Qt::NoFocus || w->focusProxy() || !w->accessibleName().isEmpty())
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (a && !a->text(QAccessible::Name).trimmed().isEmpty()) continue;
        QString name = w->toolTip();
        if (name.isEmpty()) name = BuddyText(w);
        if (name.isEmpty()) name = PlaceText(w);
        w->setAccessibleName(name);
    }
}
