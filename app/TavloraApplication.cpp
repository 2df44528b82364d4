#include "app/TavloraApplication.h"

#include "platform/ui/Dialogs.h"

#include <exception>

QString ApplicationTitle() {
    return QStringLiteral("星澜影库通");
}

TavloraApplication::TavloraApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(ApplicationTitle());
}

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
