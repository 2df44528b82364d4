// The window's services as the benchmarks need them: bars that cost nothing, a status text
// that is kept, and event processing as the window does it.
#pragma once

#include "register/Shell.h"

#include <QCoreApplication>
#include <QString>

class NullProgress : public IProgress {
public:
    void SetMax(int) override {}
    void SetPosition(int) override {}
    void SetSuffix(const QString&) override {}
    void SetVisible(bool) override {}
};

class BenchShell : public IShell {
public:
    void SetStatusText(int, const QString& text) override { status_ = text; }
    void AddHistory(const QString&) override { ++historyLines_; }
    void ClearHistory() override { historyLines_ = 0; }
    void ShowHistoryPage() override {}
    void LockControls(bool) override {}
    void ShowBreakButton(bool) override {}
    void ProcessEvents() override { QCoreApplication::processEvents(); }
    void DelayMs(int) override {}
    IProgress& PB2() override { return progress_; }
    IProgress& PB3() override { return progress_; }

    const QString& Status() const { return status_; }
    int HistoryLines() const { return historyLines_; }

private:
    QString status_;
    int historyLines_ = 0;
    NullProgress progress_;
};
