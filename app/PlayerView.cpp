#include "app/PlayerView.h"

#include "app/uFrmMain.h"
#include "controls/MyRadionBtn.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QSlider>

void TFrmMainPlayerView::ShowPosition(const QString& text) {
    w_.lbPos->setText(text);
}
void TFrmMainPlayerView::ShowLength(const QString& text) {
    w_.lbLen->setText(text);
}

void TFrmMainPlayerView::CheckChannelButton(uint8_t mode) {
    TMyRadionBtn* button = mode == kChannelLeft    ? w_.lbLeft
                           : mode == kChannelRight ? w_.lbRight
                                                   : w_.lbCenter;
    button->SetChecked(true); // unchecks the others of the group
}

uint8_t TFrmMainPlayerView::CheckedChannelButton() const {
    if (w_.lbLeft->Checked()) return kChannelLeft;
    if (w_.lbRight->Checked()) return kChannelRight;
    return kChannelStereo;
}

void TFrmMainPlayerView::SetFilterList(const QStringList& names) {
    w_.lbFilters->clear();
    w_.lbFilters->addItems(names);
}

int TFrmMainPlayerView::SelectedFilter() const {
    QListWidgetItem* item = w_.lbFilters->currentItem();
    return item && item->isSelected() ? w_.lbFilters->row(item) : -1;
}

void TFrmMainPlayerView::SetTrackList(const QStringList& tracks) {
    w_.cbAudioChl->clear();
    w_.cbAudioChl->addItems(tracks);
    w_.cbAudioChl->setCurrentIndex(-1); // an entry is selected only when its track is enabled
}

void TFrmMainPlayerView::SelectTrack(int index) {
    w_.cbAudioChl->setCurrentIndex(index);
}
int TFrmMainPlayerView::SelectedTrack() const {
    return w_.cbAudioChl->currentIndex();
}
int TFrmMainPlayerView::SoundLevel() const {
    return w_.SoundLevel->value();
}
QWidget* TFrmMainPlayerView::DialogParent() {
    return &w_;
}
