// The one stand-in for the window's services, for the tests and the benchmarks: it records
// what the work shows, and runs a test's hooks at the points where the window would let the
// user act (a click "during" a walk, a fault injected at a given step).
#pragma once

#include "platform/ui/Shell.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <vector>

class FakeProgress : public IProgress {
public:
    void SetMax(int max) override {
        this->max = max;
        Log("max " + QString::number(max));
    }
    void SetPosition(int position) override {
        this->position = position;
        if (logs) positions.push_back(position);
        Log("pos " + QString::number(position));
    }
    void SetSuffix(const QString& suffix) override {
        this->suffix = suffix;
        if (logs) suffixes << suffix;
        Log("suffix " + suffix);
        if (onSuffix) onSuffix(suffix);
    }
    void SetVisible(bool visible) override {
        this->visible = visible;
        Log(visible ? "show" : "hide");
        everShown = everShown || visible;
        if (onVisible) onVisible(visible);
    }

    // Off: only the state as it stands is kept (a benchmark's long loops keep no logs).
    bool logs = true;
    int max = -1, position = -1; // -1: never set
    std::vector<int> positions;  // every position set, in order
    QStringList calls;           // every call in order: "max 5", "pos 3", "suffix %", "show"
    QString suffix;
    QStringList suffixes;
    bool visible = false, everShown = false;
    std::function<void(const QString&)> onSuffix;
    std::function<void(bool)> onVisible;

private:
    void Log(const QString& call) {
        if (logs) calls << call;
    }
};

class FakeShell : public IShell {
public:
    // As the benchmarks use it: no logs, so that a long loop costs about what the window's
    // bars cost, and Qt's events processed where the window processes them.
    static FakeShell ForBenchmark() {
        FakeShell shell;
        shell.logs = shell.pb2.logs = shell.pb3.logs = false;
        shell.onProcessEvents = [] { QCoreApplication::processEvents(); };
        return shell;
    }

    void SetStatusText(int panel, const QString& text) override {
        status[panel] = text;
        if (logs && panel == 1) statusLog << text;
        if (onStatus) onStatus(text);
    }
    void AddHistory(const QString& text) override {
        ++historyLines;
        if (logs) history << text;
        if (onHistory) onHistory(text);
    }
    void ClearHistory() override {
        history.clear();
        historyLines = 0;
        ++historyCleared;
    }
    void ShowHistoryPage() override { historyShown = true; }
    void LockControls(bool lock) override {
        locked = lock;
        if (logs) locks.push_back(lock);
    }
    void ShowBreakButton(bool visible) override {
        breakButton = visible;
        breakButtonShown = breakButtonShown || visible;
    }
    void ProcessEvents() override {
        ++processed;
        if (onProcessEvents) onProcessEvents();
    }
    void DelayMs(int ms) override {
        if (logs) delays.push_back(ms);
        if (onDelay) onDelay();
    }
    IProgress& PB2() override { return pb2; }
    IProgress& PB3() override { return pb3; }

    // Off: only the state as it stands and the counts are kept, no logs.
    bool logs = true;
    std::map<int, QString> status; // each panel's text as it stands
    QStringList statusLog;         // every text of panel 1, in order
    QStringList history;
    int historyLines = 0; // lines added since the log was last emptied
    int historyCleared = 0;
    bool historyShown = false;
    bool locked = false;
    std::vector<bool> locks; // every LockControls, in order
    bool breakButton = false, breakButtonShown = false;
    int processed = 0; // ProcessEvents calls
    std::vector<int> delays;
    FakeProgress pb2, pb3;

    std::function<void(const QString&)> onStatus;
    std::function<void(const QString&)> onHistory;
    std::function<void()> onProcessEvents; // a benchmark processes Qt's events here
    std::function<void()> onDelay;         // a press of the break button, say
};
