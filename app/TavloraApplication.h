// The application object: an event handler's failure that no command caught goes to the
// general error report, and the program goes on with the next event.
#pragma once

#include <QApplication>

// The program's title: the caption of its window and messages.
QString ApplicationTitle();

class TavloraApplication : public QApplication {
    Q_OBJECT
public:
    // The application runs under its title, the caption of its messages.
    TavloraApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
