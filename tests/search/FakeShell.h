// A recording IShell for the search tests; ProcessEvents runs an optional hook, so a test
// can act "during" the walk as a click would.
#pragma once

#include "register/Shell.h"

#include <QStringList>
#include <functional>

class FakeProgress : public IProgress {
public:
    void SetMax(int) override {}
    void SetPosition(int) override {}
    void SetSuffix(const QString&) override {}
    void SetVisible(bool) override {}
};

class FakeShell : public IShell {
public:
    void SetStatusText(int panel, const QString& text) override {
        if (panel == 1) status << text;
    }
    void AddHistory(const QString& text) override { history << text; }
    void ShowHistoryPage() override {}
    void ClearHistory() override { history.clear(); }
    void LockControls(bool lock) override { locks.push_back(lock); }
    void ShowBreakButton(bool) override {}
    void ProcessEvents() override {
        ++processed;
        if (onProcessEvents) onProcessEvents();
    }
    void DelayMs(int) override {}
    IProgress& PB2() override { return progress; }
    IProgress& PB3() override { return progress; }

    QStringList status;
    QStringList history;
    std::vector<bool> locks;
    int processed = 0;
    std::function<void()> onProcessEvents;
    FakeProgress progress;
};
