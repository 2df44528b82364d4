// Recording stand-ins for the window's services and the player's controls.
#pragma once

#include "media/Player.h"
#include "register/Shell.h"

#include <QStringList>
#include <functional>
#include <map>
#include <vector>

class RecordingProgress : public IProgress {
public:
    void SetMax(int max) override { this->max = max; }
    void SetPosition(int position) override { positions.push_back(position); }
    void SetSuffix(const QString& suffix) override { suffixes << suffix; }
    void SetVisible(bool visible) override { this->visible = visible; }
    int max = 0;
    std::vector<int> positions;
    QStringList suffixes;
    bool visible = false;
};

class RecordingShell : public IShell {
public:
    void SetStatusText(int panel, const QString& text) override { status[panel] = text; }
    void AddHistory(const QString& text) override { history << text; }
    void ClearHistory() override { history.clear(); }
    void ShowHistoryPage() override {}
    void LockControls(bool lock) override { locked = lock; }
    void ShowBreakButton(bool visible) override { breakVisible = visible; }
    void ProcessEvents() override {}
    // Records the wait and runs what the test scripts for it (a press of the break button).
    void DelayMs(int ms) override {
        delays.push_back(ms);
        if (onDelay) onDelay();
    }
    IProgress& PB2() override { return pb2; }
    IProgress& PB3() override { return pb3; }

    std::map<int, QString> status;
    QStringList history;
    std::vector<int> delays;
    std::function<void()> onDelay;
    bool locked = false, breakVisible = false;
    RecordingProgress pb2, pb3;
};

class FakePlayerView : public IPlayerView {
public:
    void ShowPosition(const QString& text) override { positions << text; }
    void ShowLength(const QString& text) override { length = text; }
    void CheckChannelButton(uint8_t mode) override { checked = mode; }
    uint8_t CheckedChannelButton() const override { return checked; }
    void SetFilterList(const QStringList& names) override { filters = names; }
    int SelectedFilter() const override { return selectedFilter; }
    void SetTrackList(const QStringList& list) override {
        tracks = list;
        selectedTrack = -1;
    }
    void SelectTrack(int index) override { selectedTrack = index; }
    int SelectedTrack() const override { return selectedTrack; }
    int SoundLevel() const override { return soundLevel; }
    QWidget* DialogParent() override { return nullptr; }

    QStringList positions, filters, tracks;
    QString length = QStringLiteral("00:00:00");
    uint8_t checked = kChannelStereo;
    int selectedTrack = -1, soundLevel = 10000, selectedFilter = -1;
};
