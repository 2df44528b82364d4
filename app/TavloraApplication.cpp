#include "app/TavloraApplication.h"

#include "platform/Dialogs.h"

#include <exception>

bool TavloraApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        QtDialogs(activeWindow()).Error(QString::fromUtf8(e.what()));
    } catch (...) {
        QtDialogs(activeWindow()).Error(QStringLiteral("Unknown error"));
    }
    return false;
}
