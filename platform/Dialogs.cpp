#include "platform/Dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

QString ApplicationTitle() {
    return QStringLiteral("星澜影库通");
}

QString ErrorReportText(const QString& text) {
    if (text.endsWith('.') || text.endsWith(QStringLiteral("。"))) return text;
    return text + '.';
}

QString QtDialogs::SelectFolder(const QString& title) {
    return QFileDialog::getExistingDirectory(parent_, title, QString(), QFileDialog::ShowDirsOnly);
}

QStringList QtDialogs::OpenFiles(const QString& title, const QString& filters) {
    return QFileDialog::getOpenFileNames(parent_, title, QString(), filters);
}

IDialogs::Answer QtDialogs::AskYesNoCancel(const QString& caption, const QString& text) {
    auto b = QMessageBox::question(parent_, caption, text,
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
    QMessageBox::information(parent_, caption, text);
}

void QtDialogs::Error(const QString& text) {
    QMessageBox::critical(parent_, ApplicationTitle(), ErrorReportText(text));
}
