// A scripted IDialogs for tests: answers are queued beforehand, every call is recorded.
// An unscripted question fails the test instead of waiting on a human.
#pragma once

#include "platform/Dialogs.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

class FakeDialogs : public IDialogs {
public:
    std::deque<QString> folders;               // SelectFolder answers
    std::deque<QStringList> files;             // OpenFiles answers
    std::deque<Answer> answers;                // AskYesNoCancel answers
    std::deque<std::optional<QString>> inputs; // InputQuery: a value for OK, nullopt for Cancel

    QStringList calls;  // "SelectFolder: title", "Ask: caption | text", ...
    QStringList errors; // texts given to Error
    QStringList infos;  // texts given to Information
    QStringList starts; // the folders OpenFiles opened in
    QString lastOpenFolder;

    std::function<void()> onOpen; // runs as each dialog opens, to look at the window then

    QString SelectFolder(const QString& title) override {
        calls << QStringLiteral("SelectFolder: ") + title;
        Opened();
        return Take(folders, "SelectFolder");
    }
    QStringList OpenFiles(const QString& title, const QString& filters,
                          const QString& startFolder) override {
        calls << QStringLiteral("OpenFiles: ") + title + QStringLiteral(" | ") + filters;
        starts << startFolder;
        Opened();
        return Take(files, "OpenFiles");
    }
    QString LastOpenFolder() override { return lastOpenFolder; }
    Answer AskYesNoCancel(const QString& caption, const QString& text) override {
        calls << QStringLiteral("Ask: ") + caption + QStringLiteral(" | ") + text;
        Opened();
        return Take(answers, "AskYesNoCancel");
    }
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override {
        calls << QStringLiteral("Input: ") + caption + QStringLiteral(" | ") + prompt +
                     QStringLiteral(" | ") + value;
        Opened();
        if (inputs.empty()) {
            ADD_FAILURE() << "unscripted dialog: InputQuery";
            return false;
        }
        bool ok = inputs.front().has_value();
        if (ok) value = *inputs.front();
        inputs.pop_front();
        return ok;
    }
    void Information(const QString& caption, const QString& text) override {
        calls << QStringLiteral("Information: ") + caption + QStringLiteral(" | ") + text;
        Opened();
        infos << text;
    }
    void Error(const QString& text) override {
        calls << QStringLiteral("Error: ") + text;
        Opened();
        errors << text;
    }

private:
    void Opened() {
        if (onOpen) onOpen();
    }
    template <typename T> T Take(std::deque<T>& queue, const char* what) {
        if (queue.empty()) {
            ADD_FAILURE() << "unscripted dialog: " << what;
            return T{};
        }
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};
