// The player's controls of the main window as the player sees them.
#pragma once

#include "media/Player.h"

class TFrmMain;

class TFrmMainPlayerView : public IPlayerView {
public:
    explicit TFrmMainPlayerView(TFrmMain& window) : w_(window) {}
    void ShowPosition(const QString& text) override;
    void ShowLength(const QString& text) override;
    void CheckChannelButton(uint8_t mode) override;
    uint8_t CheckedChannelButton() const override;
    void SetFilterList(const QStringList& names) override;
    int SelectedFilter() const override;
    void SetTrackList(const QStringList& tracks) override;
    void SelectTrack(int index) override;
    int SelectedTrack() const override;
    int SoundLevel() const override;
    QWidget* DialogParent() override;

private:
    TFrmMain& w_;
};
