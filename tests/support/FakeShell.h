// A recording stand-in for the window's services.
#pragma once

#include "register/Shell.h"

#include <QString>
#include <QStringList>
#include <map>

class FakeProgress : public IProgress {
public:
    void SetMax(int max) override { this->max = max; }
    void SetPosition(int position) override {
        this->position = position;
        ++repaints;
    }
    void SetSuffix(const QString& suffix) override { this->suffix = suffix; }
    void SetVisible(bool visible) override {
        this->visible = visible;
        if (visible) everShown = true;
    }
    int max = 0, position = 0, repaints = 0;
    QString suffix;
    bool visible = false, everShown = false;
};

class FakeShell : public IShell {
public:
    void SetStatusText(int panel, const QString& text) override { status[panel] = text; }
    void AddHistory(const QString& text) override { history << text; }
    void ClearHistory() override {
        history.clear();
        ++historyClears;
    }
    void ShowHistoryPage() override { historyPageShown = true; }
    void LockControls(bool lock) override { locked = lock; }
    void ShowBreakButton(bool visible) override { breakVisible = visible; }
    void ProcessEvents() override {}
    void DelayMs(int) override {}
    IProgress& PB2() override { return pb2; }
    IProgress& PB3() override { return pb3; }

    std::map<int, QString> status;
    QStringList history;
    int historyClears = 0;
    bool historyPageShown = false, locked = false, breakVisible = false;
    FakeProgress pb2, pb3;
};
