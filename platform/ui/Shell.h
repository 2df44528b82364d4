// What the work of the subsystems needs of the window: the status line, the history log,
// the progress bars, the busy lock and the break convention. The main window implements
// it; tests use a recording fake.
#pragma once

#include <QString>
#include <QStringList>

// A progress bar as the work loops use it (PB2, PB3).
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void SetMax(int max) = 0;
    virtual void SetPosition(int position) = 0;
    virtual void SetSuffix(const QString& suffix) = 0; // the text after the percentage
    virtual void SetVisible(bool visible) = 0;
};

class IShell {
public:
    virtual ~IShell() = default;
    virtual void SetStatusText(int panel, const QString& text) = 0;
    virtual void AddHistory(const QString& text) = 0;
    // The same as AddHistory for each line in order; a window may add them in one step.
    virtual void AddHistoryLines(const QStringList& lines) {
        for (const QString& line : lines)
            AddHistory(line);
    }
    // Empties the history log (the copy, move and clean-up commands start with an empty log).
    virtual void ClearHistory() = 0;
    virtual void ShowHistoryPage() = 0;
    virtual void LockControls(bool lock) = 0;
    virtual void ShowBreakButton(bool visible) = 0;
    // Lets the window repaint and the break button react.
    virtual void ProcessEvents() = 0;
    virtual void DelayMs(int ms) = 0;
    virtual IProgress& PB2() = 0;
    virtual IProgress& PB3() = 0;
    // On: the loop that follows changes the bars and the log far more often than anyone can
    // see; the window may show them up to a fraction of a second late, several changes in one
    // step. Off: everything is shown as it stands.
    virtual void SetPaced(bool) {}
};

// Program-wide flags of the long loops. True: stop at the next check.
extern bool BreakFlag;
// True while a folder search runs.
extern bool SearchRunning;
