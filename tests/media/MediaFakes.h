// A recording stand-in for the player's controls.
#pragma once

#include "media/Player.h"

#include <QStringList>

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
