// The application object: an event handler's failure that no command caught goes to the
// general error report, and the program goes on with the next event.
#pragma once

#include <QApplication>

class TavloraApplication : public QApplication {
    Q_OBJECT
public:
    TavloraApplication(int& argc, char** argv) : QApplication(argc, argv) {}
    bool notify(QObject* receiver, QEvent* event) override;
};
