// Recording fakes of the window's services and dialogs, and a scratch folder with a
// register, for the file command tests.
#pragma once

#include "fileops/FileOpsContext.h"
#include "platform/GbText.h"
#include "register/GridStore.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

struct FakeProgress : IProgress {
    int max = -1;
    int position = -1;
    std::vector<int> positions;
    QStringList suffixes;
    bool visible = false;
    bool everShown = false;
    void SetMax(int m) override { max = m; }
    void SetPosition(int p) override {
        position = p;
        positions.push_back(p);
    }
    void SetSuffix(const QString& s) override { suffixes << s; }
    void SetVisible(bool v) override {
        visible = v;
        everShown = everShown || v;
    }
};

struct FakeShell : IShell {
    QStringList status; // panel 1 texts in order
    QStringList history;
    int historyCleared = 0;
    bool historyShown = false;
    bool locked = false;
    bool breakButton = false;
    int processEvents = 0;
    std::function<void(int)> onProcessEvents; // called with the running count
    FakeProgress pb2, pb3;

    void SetStatusText(int panel, const QString& text) override {
        if (panel == 1) status << text;
    }
    void AddHistory(const QString& text) override { history << text; }
    void ClearHistory() override {
        history.clear();
        ++historyCleared;
    }
    void ShowHistoryPage() override { historyShown = true; }
    void LockControls(bool lock) override { locked = lock; }
    void ShowBreakButton(bool visible) override { breakButton = visible; }
    void ProcessEvents() override {
        ++processEvents;
        if (onProcessEvents) onProcessEvents(processEvents);
    }
    void DelayMs(int) override {}
    IProgress& PB2() override { return pb2; }
    IProgress& PB3() override { return pb3; }
};

struct FakeDialogs : IDialogs {
    QString folder;                      // the folder picker's answer
    std::deque<Answer> answers;          // Yes/No/Cancel, in order
    QStringList questions;               // texts of the Yes/No/Cancel questions
    std::function<bool(QString&)> input; // edits the proposal; false is Cancel
    QStringList prompts;                 // caption + "|" + prompt + "|" + proposal
    QStringList information;

    QString SelectFolder(const QString& title) override {
        EXPECT_EQ(title, QStringLiteral("选择一个目的文件夹"));
        return folder;
    }
    QStringList OpenFiles(const QString&, const QString&, const QString&) override { return {}; }
    QString LastOpenFolder() override { return {}; }
    Answer AskYesNoCancel(const QString& caption, const QString& text) override {
        EXPECT_EQ(caption, QStringLiteral("确认操作"));
        questions << text;
        EXPECT_FALSE(answers.empty()) << "unexpected question: " << text.toStdString();
        if (answers.empty()) return Answer::Cancel;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    bool InputQuery(const QString& caption, const QString& prompt, QString& value) override {
        prompts << caption + "|" + prompt + "|" + value;
        return input ? input(value) : false;
    }
    void Information(const QString&, const QString& text) override { information << text; }
    void Error(const QString& text) override { ADD_FAILURE() << text.toStdString(); }
};

namespace fs = std::filesystem;

// A scratch folder per test, a register and the context of the commands over them.
class FileOpsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the file with `size` bytes of a pattern that depends on the offset and seed.
    static void MakeFile(const fs::path& path, uint64_t size, unsigned seed = 1);
    static std::string ReadAll(const fs::path& path);
    // Register form of a real folder: GB18030, upper case, with the trailing separator.
    static std::string RegDir(const fs::path& dir);
    // Appends a data row (the blank first row is used first); returns its index.
    int AddRow(const fs::path& dir, std::string_view name, std::string_view type,
               std::string_view resolution = {});
    void SelectRows(int top, int bottom);
    // The saved database file's lines, or empty when it was never saved.
    std::vector<std::string> SavedLines() const;

    fs::path root;
    VideoRegister reg;
    FakeShell shell;
    FakeDialogs dialogs;
    FileOpsContext ctx{reg, shell, dialogs, {}};
};
