// The one scripted IDialogs, for the tests and the benchmarks: answers are given beforehand,
// every call is recorded. An unscripted question fails the test instead of waiting on a human.
#pragma once

#include "platform/ui/Dialogs.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

class FakeDialogs : public IDialogs {
public:
    // Answers taken one per call, in order.
    std::deque<QString> folders;               // SelectFolder answers
    std::deque<QStringList> files;             // OpenFiles answers
    std::deque<Answer> answers;                // AskYesNoCancel answers
    std::deque<std::optional<QString>> inputs; // InputQuery: a value for OK, nullopt for Cancel
    // Standing answers: when set, every call of the kind gets it and its queue is not read.
    std::optional<QString> folder;       // SelectFolder ("" is Cancel)
    std::function<bool(QString&)> input; // InputQuery: edits the proposal; false is Cancel

    QStringList calls;       // "SelectFolder: title", "Ask: caption | text", ...
    QStringList errors;      // texts given to Error
    QStringList information; // texts given to Information
    QStringList questions;   // texts given to AskYesNoCancel
    QStringList prompts;     // InputQuery: "caption|prompt|proposal"
    QStringList starts;      // the folders OpenFiles opened in
    QString lastOpenFolder;

    std::function<void()> onOpen; // runs as each dialog opens, to look at the window then

    QString SelectFolder(const QString& title) override {
        calls << QStringLiteral("SelectFolder: ") + title;
        Opened();
        return folder ? *folder : Take(folders, "SelectFolder", QString());
    }
    QStringList OpenFiles(const QString& title, const QString& filters,
                          const QString& startFolder) override {
        calls << QStringLiteral("OpenFiles: ") + title + QStringLiteral(" | ") + filters;
        starts << startFolder;
        Opened();
        return Take(files, "OpenFiles", QStringList());
    }
    QString LastOpenFolder() override { return lastOpenFolder; }
    Answer AskYesNoCancel(const QString& caption, const QString& text) override {
        calls << QStringLiteral("Ask: ") + caption + QStringLiteral(" | ") + text;
        questions << text;
        Opened();
        return Take(answers, "AskYesNoCancel", Answer::Cancel);
    }
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override {
        calls << QStringLiteral("Input: ") + caption + QStringLiteral(" | ") + prompt +
                     QStringLiteral(" | ") + value;
        prompts << caption + '|' + prompt + '|' + value;
        Opened();
        if (input) return input(value);
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
        information << text;
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
    template <typename T> T Take(std::deque<T>& queue, const char* what, T unscripted) {
        if (queue.empty()) {
            ADD_FAILURE() << "unscripted dialog: " << what;
            return unscripted;
        }
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};
