#include "media/Player.h"

#include "fileops/FileHelpers.h"
#include "media/GstGraph.h"
#include "media/MediaAnalysis.h"
#include "platform/fs/Paths.h"
#include "platform/text/GbText.h"
#include "platform/ui/ShellDiskCalls.h"
#include "register/GridStore.h"
#include "register/IniFile.h"

#include <algorithm>
#include <cstring>
#include <optional>

void ApplyChannelToBuffer(uint8_t* buffer, int length, int bits, uint8_t mode) {
    if (mode == kChannelStereo || (bits != 8 && bits != 16 && bits != 24 && bits != 32)) return;
    const int s = bits / 8;
    // A partial frame at the end has no second sample: it stays as it is.
    for (int k = 0; k + 2 * s <= length; k += 2 * s) {
        if (mode == kChannelLeft)
            std::memcpy(buffer + k + s, buffer + k, size_t(s));
        else if (mode == kChannelRight)
            std::memcpy(buffer + k, buffer + k + s, size_t(s));
    }
}

TPlayer::TPlayer(TFilterGraph& FG, TVideoWindow& VW, IShell& shell, IPlayerView& view)
    : FG(FG), VW(VW), shell_(shell), view_(view) {}

void TPlayer::Play(const VideoRegister& reg) {
    const int row = reg.Cursor().CurRow();
    const std::string path = RowFilePath(shell_, reg, row);
    if (path.empty()) return;
    // The file is looked up off the UI thread: a share that does not answer costs one wait.
    TDiskCalls calls = ShellDiskCalls(shell_);
    const std::optional<TFileCheck> file =
        calls.Call(path, [path] { return CheckFile(path, FileLook::Entry); });
    if (!file || !file->exists) return;
    const std::string channel(reg.Cell(colChannel, row));
    const std::string track(Trim(reg.Cell(colTrack, row)));
    FG.StopPlayback();
    FG.EmptyGraph();
    if (!FG.Active()) FG.SetActive(true);
    // The last file's times go whatever becomes of the new one.
    view_.ShowPosition(QString::fromStdString(FormatHMS(0)));
    view_.ShowLength(QString::fromStdString(FormatHMS(0)));
    // A graph whose file does not open within the deadline is left behind, and the row goes
    // as a missing file does.
    if (FG.OpenMediaFile(file->real) == kRenderNoAnswer) return calls.MarkNotAnswering(path);
    // The pane paints the pictures itself: there is no output window to take over.
    FG.StartPlayback();
    view_.ShowLength(QString::fromStdString(FormatHMS(FG.DurationMs() / 1000)));
    shell_.DelayMs(50);
    FG.SetVolume(view_.SoundLevel());
    ChosenTrack = ParseInt(track).value_or(1);
    RefreshStreams();
    shell_.DelayMs(50);
    if (channel == Utf8ToGb("左声道"))
        view_.CheckChannelButton(kChannelLeft);
    else if (channel == Utf8ToGb("右声道"))
        view_.CheckChannelButton(kChannelRight);
    else
        view_.CheckChannelButton(kChannelStereo);
    shell_.DelayMs(50);
    ChannelClick(view_.CheckedChannelButton());
}

void TPlayer::PauseResume() {
    switch (FG.PlaybackState()) {
    case TPlaybackState::Paused:
        FG.StartPlayback();
        break;
    case TPlaybackState::Playing:
        FG.PausePlayback();
        break;
    default:
        break;
    }
}

void TPlayer::Stop() {
    FG.StopPlayback();
    FG.EmptyGraph();
    FG.SetActive(false);
}

void TPlayer::ShowPosition(unsigned currentPosMs) {
    view_.ShowPosition(QString::fromStdString(FormatHMS(currentPosMs / 1000)));
}

void TPlayer::GraphComplete() {
    SeekToMs(0);
    FG.StartPlayback();
}

void TPlayer::SeekToMs(int ms) {
    int64_t duration = 0;
    if (FG.QueryDurationMs(duration)) FG.SeekMs(ms);
}

void TPlayer::ToggleFullScreen() {
    VW.SetFullScreen(!VW.FullScreen());
}

namespace {

// The MPEG audio decoders' dual-mono switch (0 merge, 1 left, 2 right), where a decoder
// offers one as a "dual-mode" property; none of the usual decoders does.
bool SetDualMode(GstElement* decoder, int mode) {
    GParamSpec* spec = g_object_class_find_property(G_OBJECT_GET_CLASS(decoder), "dual-mode");
    if (!spec || !(spec->flags & G_PARAM_WRITABLE)) return false;
    GValue value = G_VALUE_INIT;
    g_value_init(&value, G_TYPE_INT);
    g_value_set_int(&value, mode);
    GValue converted = G_VALUE_INIT;
    g_value_init(&converted, spec->value_type);
    const bool ok = g_value_transform(&value, &converted);
    if (ok) g_object_set_property(G_OBJECT(decoder), "dual-mode", &converted);
    g_value_unset(&converted);
    g_value_unset(&value);
    return ok;
}

QString ChannelMessage(uint8_t mode) {
    switch (mode) {
    case kChannelLeft:
        return QStringLiteral("设置左声道成功！");
    case kChannelRight:
        return QStringLiteral("设置右声道成功！");
    default:
        return QStringLiteral("设置立体声成功！");
    }
}

} // namespace

void TPlayer::ChannelClick(uint8_t mode) {
    ChannelMode = mode;
    if (!FG.Active()) return;
    const QString name = FindAudioDecoderName();
    if (name.isEmpty()) return;
    GstElement* decoder = GstElementOf(FG.FindElementByName(name));
    if (decoder && SetDualMode(decoder, mode)) shell_.SetStatusText(1, ChannelMessage(mode));
}

// The first listed filter that is an audio decoder.
QString TPlayer::FindAudioDecoderName() {
    for (const TGraphElement& e : FG.Elements()) {
        GstElementFactory* factory = gst_element_get_factory(GstElementOf(e.element));
        const char* klass =
            factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS)
                    : nullptr;
        if (klass && std::strstr(klass, "Codec/Decoder/Audio")) return e.name;
    }
    return {};
}

void TPlayer::RefreshStreams() {
    QStringList filters, tracks;
    int selected = -1;
    if (FG.Active()) {
        for (const TGraphElement& e : FG.Elements())
            filters << e.name;
        bool allTracksDone = false;
        int audio = 0;
        const int count = std::min(FG.StreamCount(), 20);
        for (int i = 0; i < count; ++i) {
            const QString name = FG.StreamName(i);
            if (name.isEmpty() || name.at(0).toUpper() != QLatin1Char('A')) continue;
            ++audio;
            tracks << QString::number(audio);
            if (ChosenTrack == 0 && !allTracksDone) {
                allTracksDone = true;
                if (FG.EnableStream(i, kStreamEnableAll))
                    shell_.SetStatusText(1, QStringLiteral("使用所有音轨."));
            } else if (ChosenTrack == audio && FG.EnableStream(i, kStreamEnable)) {
                shell_.SetStatusText(1, QStringLiteral("使用音轨:") + QString::number(audio));
                selected = audio - 1;
            }
        }
    }
    filterNames_ = filters;
    view_.SetFilterList(filters);
    view_.SetTrackList(tracks);
    if (selected >= 0) view_.SelectTrack(selected);
}

void TPlayer::SelectAudioTrack() {
    const int index = view_.SelectedTrack();
    if (index < 0) return;
    ChosenTrack = index + 1;
    RefreshStreams();
}

// Entries of one name (two colour converters, two audio decoders of one kind) are told
// apart by their place, as long as the list still shows the graph. The file source's entry
// is its file's name, not a filter name: it opens nothing.
void TPlayer::ShowFilterPages() {
    const int index = view_.SelectedFilter();
    if (index < 0 || !FG.Active()) return;
    const std::vector<TGraphElement> elements = FG.Elements();
    if (index >= int(elements.size()) || elements[size_t(index)].name != filterNames_.value(index))
        return;
    const TGraphElement& entry = elements[size_t(index)];
    if (!entry.fileSource) FG.ShowFilterPages(view_.DialogParent(), entry.element, entry.name);
}

void TPlayer::SampleGrabberBuffer(TSampleGrabber* sender, double, uint8_t* buffer, int length) {
    ApplyChannelToBuffer(buffer, length, sender->ConnectedBitsPerSample(),
                         ChannelMode.load(std::memory_order_relaxed));
}

void TPlayer::SoundLevelChange(int position) {
    FG.SetVolume(position);
}

// The window closes at once: a graph stuck in a read on a share that stopped answering is
// left to a worker.
void TPlayer::Close() {
    FG.SetActive(false);
}
