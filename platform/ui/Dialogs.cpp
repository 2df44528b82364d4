#include "platform/ui/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QSettings>
#include <QUrl>

QString ErrorReportText(const QString& text) {
    if (text.endsWith('.') || text.endsWith(QStringLiteral("。"))) return text;
    return text + '.';
}

QString MessageBoxText(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c != '\n' && c != '\r') {
            shown += c;
            continue;
        }
        shown += '\n';
        QChar pair = c == '\n' ? '\r' : '\n';
        if (i + 1 < text.size() && text[i + 1] == pair) ++i;
    }
    return shown;
}

QString QtDialogs::SelectFolder(const QString& title) {
    return QFileDialog::getExistingDirectory(parent_, title, QDir::homePath(),
                                             QFileDialog::ShowDirsOnly);
}

QStringList QtDialogs::OpenFiles(const QString& title, const QString& filters,
                                 const QString& startFolder) {
    return QFileDialog::getOpenFileNames(parent_, title, startFolder, filters);
}

QString QtDialogs::LastOpenFolder() {
    // Where Qt's own file dialog keeps the folder it last showed, across runs.
    QSettings settings(QSettings::UserScope, QStringLiteral("QtProject"));
    return settings.value(QStringLiteral("FileDialog/lastVisited")).toUrl().toLocalFile();
}

IDialogs::Answer QtDialogs::AskYesNoCancel(const QString& caption, const QString& text) {
    auto b = QMessageBox::question(parent_, caption, MessageBoxText(text),
                                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return b == QMessageBox::Yes ? Answer::Yes : b == QMessageBox::No ? Answer::No : Answer::Cancel;
}

bool QtDialogs::InputQuery(const QString& caption, const QString& prompt, QString& value) {
    bool ok = false;
    QString text = QInputDialog::getText(parent_, caption, prompt, QLineEdit::Normal, value, &ok);
    if (ok) value = text;
    return ok;
}

void QtDialogs::Information(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, MessageBoxText(text), QMessageBox::Ok, parent_);
    box.exec();
}

void QtDialogs::Error(const QString& text) {
    QMessageBox::critical(parent_, QCoreApplication::applicationName(),
                          MessageBoxText(ErrorReportText(text)));
}

QString PreparedDialogs::SelectFolder(const QString& title) {
    beforeOpen_();
    return dialogs_.SelectFolder(title);
}

QStringList PreparedDialogs::OpenFiles(const QString& title, const QString& filters,
                                       const QString& startFolder) {
    beforeOpen_();
    return dialogs_.OpenFiles(title, filters, startFolder);
}

IDialogs::Answer PreparedDialogs::AskYesNoCancel(const QString& caption, const QString& text) {
    beforeOpen_();
    return dialogs_.AskYesNoCancel(caption, text);
}

bool PreparedDialogs::InputQuery(const QString& caption, const QString& prompt, QString& value) {
    beforeOpen_();
    return dialogs_.InputQuery(caption, prompt, value);
}

void PreparedDialogs::Information(const QString& caption, const QString& text) {
    beforeOpen_();
    dialogs_.Information(caption, text);
}

void PreparedDialogs::Error(const QString& text) {
    beforeOpen_();
    dialogs_.Error(text);
}
