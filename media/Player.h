// The player: plays the file of the register's current row in the video pane, with pause,
// stop, time labels, looping at the end, volume, the left / stereo / right channel choice,
// the audio-track choice and the list of the graph's filters with their property dialog.
// The main window owns the controls (IPlayerView) and routes its handlers here.
#pragma once

#include "media/DSTrackBar.h"
#include "media/FilterGraph.h"
#include "media/SampleGrabber.h"
#include "media/VideoWindow.h"
#include "platform/ui/Shell.h"
#include "register/VideoRegister.h"

#include <QStringList>
#include <atomic>
#include <cstdint>
#include <string>

// Channel modes: what both loudspeakers play.
constexpr uint8_t kChannelStereo = 0;
constexpr uint8_t kChannelLeft = 1;
constexpr uint8_t kChannelRight = 2;

// The player's controls on the tool bar and the "解码器" page.
class IPlayerView {
public:
    virtual ~IPlayerView() = default;
    virtual void ShowPosition(const QString& text) = 0; // lbPos
    virtual void ShowLength(const QString& text) = 0;   // lbLen
    // lbCenter (stereo), lbLeft or lbRight, by channel mode; checking one unchecks the others.
    virtual void CheckChannelButton(uint8_t mode) = 0;
    virtual uint8_t CheckedChannelButton() const = 0;
    virtual void SetFilterList(const QStringList& names) = 0; // lbFilters
    virtual int SelectedFilter() const = 0;                   // -1 when none is selected
    virtual void SetTrackList(const QStringList& tracks) = 0; // cbAudioChl
    virtual void SelectTrack(int index) = 0;
    virtual int SelectedTrack() const = 0; // -1 when none
    virtual int SoundLevel() const = 0;
    virtual QWidget* DialogParent() = 0;
};

// Copies one channel over the other in place for every whole frame of two interleaved
// samples of `bits` (8, 16, 24 or 32) bits: left mode makes both the left sample, right mode
// both the right one; stereo mode and other widths leave the buffer alone.
void ApplyChannelToBuffer(uint8_t* buffer, int length, int bits, uint8_t mode);

class TPlayer {
public:
    TPlayer(TFilterGraph& FG, TVideoWindow& VW, IShell& shell, IPlayerView& view);

    // Written on the UI thread, read by the buffer handler on the streaming thread.
    std::atomic<uint8_t> ChannelMode{kChannelStereo};
    // The 1-based audio stream to enable; 0: all of them.
    int ChosenTrack = 1;

    void Play(const VideoRegister& reg);      // btnPlayClick
    void PauseResume();                       // btnPauseClick
    void Stop();                              // btnStopClick
    void ShowPosition(unsigned currentPosMs); // PBTimer
    void GraphComplete();                     // FGGraphComplete: again from the start
    void SeekToMs(int ms);
    void ToggleFullScreen(); // VWDblClick
    // lbLeftClick, lbCenterClick, lbRightClick.
    void ChannelClick(uint8_t mode);
    QString FindAudioDecoderName();
    void RefreshStreams();
    void SelectAudioTrack(); // btnSelAudioChlClick
    void ShowFilterPages();  // lbFiltersClick
    void SampleGrabberBuffer(TSampleGrabber* sender, double sampleTime, uint8_t* buffer,
                             int length);
    // SoundLevelChange: applied to the playing file (the window stores the setting).
    void SoundLevelChange(int position);
    // Closing the window stops the player.
    void Close();

private:
    TFilterGraph& FG;
    TVideoWindow& VW;
    IShell& shell_;
    IPlayerView& view_;
    QStringList filterNames_; // what lbFilters shows
};
