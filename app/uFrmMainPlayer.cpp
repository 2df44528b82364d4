// The media engine's components on the window, the player's handlers and the analysis
// command of the grid's pop-up menu.
#include "app/RegisterGrid.h"
#include "app/uFrmMain.h"
#include "controls/MyRadionBtn.h"
#include "media/MediaAnalysis.h"

#include <QAction>
#include <QListWidget>
#include <QSlider>
#include <QToolButton>

void TFrmMain::ConnectPlayer() {
    FG = new TFilterGraph(this);
    SampleGrabber = std::make_unique<TSampleGrabber>();
    VW->SetFilterGraph(FG);
    PB->SetFilterGraph(FG);
    SampleGrabber->SetFilterGraph(FG);
    playerView_ = std::make_unique<TFrmMainPlayerView>(*this);
    player_ = std::make_unique<TPlayer>(*FG, *VW, *this, *playerView_);

    FG->OnGraphComplete = [this](TFilterGraph* sender, int result, TMediaElement* renderer) {
        Guarded([&] { FGGraphComplete(sender, result, renderer); });
    };
    PB->OnTimer = [this](TDSTrackBar* sender, unsigned current, unsigned stop) {
        Guarded([&] { PBTimer(sender, current, stop); });
    };
    VW->OnDblClick = [this](TVideoWindow*) { Guarded([&] { VWDblClick(); }); };
    // Streaming thread: no window work, nothing that throws.
    SampleGrabber->OnBuffer = [this](TSampleGrabber* sender, double time, uint8_t* buffer,
                                     int length) {
        SampleGrabberBuffer(sender, time, buffer, length);
    };
    Connect(mnCal, &QAction::triggered, &TFrmMain::mnCalClick);
    Connect(btnPlay, &QToolButton::clicked, &TFrmMain::btnPlayClick);
    Connect(btnPause, &QToolButton::clicked, &TFrmMain::btnPauseClick);
    Connect(btnStop, &QToolButton::clicked, &TFrmMain::btnStopClick);
    Connect(lbLeft, &TMyRadionBtn::OnClick, &TFrmMain::lbLeftClick);
    Connect(lbCenter, &TMyRadionBtn::OnClick, &TFrmMain::lbCenterClick);
    Connect(lbRight, &TMyRadionBtn::OnClick, &TFrmMain::lbRightClick);
    Connect(btnSelAudioChl, &QToolButton::clicked, &TFrmMain::btnSelAudioChlClick);
    Connect(lbFilters, &QListWidget::itemClicked, &TFrmMain::lbFiltersClick);
    Connect(SoundLevel, &QSlider::valueChanged, &TFrmMain::SoundLevelChange);
}

void TFrmMain::mnCalClick() {
    AnalyseSelectedRows(reg_, *FG, *this);
    sg->viewport()->update();
}

void TFrmMain::btnPlayClick() {
    player_->Play(reg_);
}
void TFrmMain::btnPauseClick() {
    player_->PauseResume();
}
void TFrmMain::btnStopClick() {
    player_->Stop();
}

void TFrmMain::PBTimer(TDSTrackBar*, unsigned currentPos, unsigned) {
    player_->ShowPosition(currentPos);
}

void TFrmMain::FGGraphComplete(TFilterGraph*, int, TMediaElement*) {
    player_->GraphComplete();
}
void TFrmMain::SeekToMs(int ms) {
    player_->SeekToMs(ms);
}
void TFrmMain::VWDblClick() {
    player_->ToggleFullScreen();
}
void TFrmMain::lbLeftClick() {
    player_->ChannelClick(kChannelLeft);
}
void TFrmMain::lbCenterClick() {
    player_->ChannelClick(kChannelStereo);
}
void TFrmMain::lbRightClick() {
    player_->ChannelClick(kChannelRight);
}
QString TFrmMain::FindAudioDecoderName() {
    return player_->FindAudioDecoderName();
}
void TFrmMain::RefreshStreams() {
    player_->RefreshStreams();
}
void TFrmMain::btnSelAudioChlClick() {
    player_->SelectAudioTrack();
}
void TFrmMain::lbFiltersClick() {
    player_->ShowFilterPages();
}

void TFrmMain::SampleGrabberBuffer(TSampleGrabber* sender, double sampleTime, uint8_t* buffer,
                                   int length) {
    player_->SampleGrabberBuffer(sender, sampleTime, buffer, length);
}

void TFrmMain::SoundLevelChange() {
    player_->SoundLevelChange(SoundLevel->value());
    data_.WriteSetting("SoundLevel", std::to_string(SoundLevel->value()));
}
