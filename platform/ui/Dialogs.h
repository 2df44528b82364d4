// The standard dialogs behind one small interface, so that tests can script them.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

class IDialogs {
public:
    enum class Answer { Yes, No, Cancel };

    virtual ~IDialogs() = default;
    // The folder picker, opening in the user's home folder; "" when cancelled.
    virtual QString SelectFolder(const QString& title) = 0;
    // The open-file dialog with multi-select, opening in `startFolder`; empty when cancelled.
    virtual QStringList OpenFiles(const QString& title, const QString& filters,
                                  const QString& startFolder) = 0;
    // The folder the open-file dialog would open in by itself (the one last used); "" when
    // none. Only its name is read: whether it answers is asked off the UI thread.
    virtual QString LastOpenFolder() = 0;
    // A question with Yes, No and Cancel.
    virtual Answer AskYesNoCancel(const QString& caption, const QString& text) = 0;
    // The one-line input box; false when cancelled, value keeps the proposal then.
    virtual bool InputQuery(const QString& caption, const QString& prompt, QString& value) = 0;
    // A plain message box (no icon) with an OK button.
    virtual void Information(const QString& caption, const QString& text) = 0;
    // The general error report: a stop sign, the application title, the failure's text.
    virtual void Error(const QString& text) = 0;
};

// The real dialogs, parented to the given window.
class QtDialogs : public IDialogs {
public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}
    QString SelectFolder(const QString& title) override;
    QStringList OpenFiles(const QString& title, const QString& filters,
                          const QString& startFolder) override;
    QString LastOpenFolder() override;
    Answer AskYesNoCancel(const QString& caption, const QString& text) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    void Information(const QString& caption, const QString& text) override;
    void Error(const QString& text) override;

private:
    QWidget* parent_;
};

// Dialogs that run a step before any of them opens: a window in the middle of a long command
// shows its latest state before it asks or tells the user anything.
class PreparedDialogs : public IDialogs {
public:
    PreparedDialogs(IDialogs& dialogs, std::function<void()> beforeOpen)
        : dialogs_(dialogs), beforeOpen_(std::move(beforeOpen)) {}
    QString SelectFolder(const QString& title) override;
    QStringList OpenFiles(const QString& title, const QString& filters,
                          const QString& startFolder) override;
    QString LastOpenFolder() override { return dialogs_.LastOpenFolder(); }
    Answer AskYesNoCancel(const QString& caption, const QString& text) override;
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override;
    void Information(const QString& caption, const QString& text) override;
    void Error(const QString& text) override;

private:
    IDialogs& dialogs_;
    std::function<void()> beforeOpen_;
};

// The error text as the report shows it: a full stop added when missing.
QString ErrorReportText(const QString& text);
// A message's text with its line breaks as a message box shows them: CR LF, LF CR, a lone LF
// and a lone CR each break the line once.
QString MessageBoxText(const QString& text);
