#include "media/FilterGraph.h"

#include "media/FilterPropertyDialog.h"
#include "media/GraphElements.h"
#include "media/GraphFacts.h"
#include "platform/DiskCalls.h"
#include "platform/EventWait.h"
#include "register/Shell.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

void EnsureGstInit() {
    if (!gst_is_initialized()) gst_init(nullptr, nullptr);
}

TFilterGraph::TFilterGraph(QObject* parent) : QObject(parent), busHandOver_(this) {
    EnsureGstInit();
}

TFilterGraph::~TFilterGraph() {
    SetActive(false);
    busHandOver_.Close(); // messages still queued refer to this graph
}

void TFilterGraph::SetActive(bool active) {
    if (active && !pipeline_) CreateGraph();
    if (!active && pipeline_) ReleaseGraph();
}

void TFilterGraph::AddFilter(IGraphFilter* filter) {
    filters_.push_back(filter);
}
void TFilterGraph::RemoveFilter(IGraphFilter* filter) {
    std::erase(filters_, filter);
}
void TFilterGraph::AddListener(IGraphListener* listener) {
    listeners_.push_back(listener);
}
void TFilterGraph::RemoveListener(IGraphListener* listener) {
    std::erase(listeners_, listener);
}

void TFilterGraph::Notify(TControlEvent event) {
    for (IGraphListener* l : std::vector(listeners_))
        l->ControlEvent(event);
}

void TFilterGraph::SetAudioSinkFactory(std::function<GstElement*()> factory) {
    audioSinkFactory_ = std::move(factory);
}

namespace {

// The desktop's sound server or the sound card when one of them opens, else a fake sink
// that keeps to the clock, so that playback runs the same without sound. Found once: trying
// every audio sink (as autoaudiosink does) is slow and some of them crash without a device.
const char* AudioSinkFactoryName() {
    static const char* name = [] {
        for (const char* candidate : {"pulsesink", "alsasink"}) {
            GstElement* sink = gst_element_factory_make(candidate, nullptr);
            if (!sink) continue;
            const bool opens =
                gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_SUCCESS;
            gst_element_set_state(sink, GST_STATE_NULL);
            gst_object_unref(sink);
            if (opens) return candidate;
        }
        return "fakesink";
    }();
    return name;
}

} // namespace

namespace {
constexpr const char* kPlayVideoSink = "tavlora-play-video-sink";
constexpr const char* kProbeVideoSink = "tavlora-probe-video-sink";

void HoldOnGraph(GstElement* graph, const char* key, GstElement* sink) {
    g_object_set_data_full(G_OBJECT(graph), key, gst_object_ref_sink(sink), gst_object_unref);
}
GstElement* HeldOnGraph(GstElement* graph, const char* key) {
    return GST_ELEMENT(g_object_get_data(G_OBJECT(graph), key));
}
} // namespace

GstElement* TFilterGraph::MakeAudioSink() {
    if (audioSinkFactory_) return audioSinkFactory_();
    GstElement* sink = gst_element_factory_make(AudioSinkFactoryName(), nullptr);
    if (sink && g_strcmp0(AudioSinkFactoryName(), "fakesink") == 0)
        g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

void TFilterGraph::CreateGraph() {
    pipeline_ = MakePlaybin("FG");
    if (!pipeline_) return;
    if (GstElement* sink = MakeAudioSink()) g_object_set(pipeline_, "audio-sink", sink, nullptr);
    // A probe's pictures go nowhere, and so do a film's without a video pane (playbin would
    // pick a desktop sink). The graph holds both sinks, so either lives while swapped out.
    HoldOnGraph(pipeline_, kProbeVideoSink, MakeFakeVideoSink());
    GstElement* playSink = nullptr;
    for (IGraphFilter* f : filters_) {
        GstElement* e = f->FilterAdding();
        if (!e) continue;
        ownElements_.push_back(e);
        if (f->FilterPlace() == IGraphFilter::Place::VideoRenderer)
            playSink = e;
        else
            g_object_set(pipeline_, "audio-filter", e, nullptr);
    }
    HoldOnGraph(pipeline_, kPlayVideoSink, playSink ? playSink : MakeFakeVideoSink());
    g_object_set(pipeline_, "video-sink", HeldOnGraph(pipeline_, kPlayVideoSink), nullptr);
    busLink_ = std::make_shared<BusLink>(this);
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, &TFilterGraph::BusSyncHandler, BusLink::Hold(busLink_),
                             &BusLink::Release);
    gst_object_unref(bus);
    Notify(TControlEvent::GraphCreated);
}

// The release may run while the window closes or is destroyed: a graph stuck on a share that
// stopped answering is left to a worker, and nothing waits for it.
void TFilterGraph::ReleaseGraph() {
    Notify(TControlEvent::GraphReleased);
    ReleaseGraphDetached(LetGoOfGraph());
}

// Forgets the graph and hands back FG's reference to it; its messages and its elements'
// callbacks reach nothing from now on.
GstElement* TFilterGraph::LetGoOfGraph() {
    busLink_->Cut();
    busLink_.reset();
    NextGeneration();
    rendered_ = false;
    ownElements_.clear();
    for (IGraphFilter* f : filters_)
        f->FilterRemoved();
    return std::exchange(pipeline_, nullptr);
}

namespace {
// Only a break during a wait of the graph counts: a flag left set by an earlier command would
// fail every later file. It is put back for that command's own checks.
struct OwnBreak {
    bool earlier = std::exchange(BreakFlag, false);
    ~OwnBreak() { BreakFlag = BreakFlag || earlier; }
};
} // namespace

TGraphCall TFilterGraph::CallGraph(std::function<int(GstElement*)> call) {
    OwnBreak ownBreak;
    const TGraphCall done =
        CallGraphDetached(pipeline_, std::move(call), waitEvents_, [] { return BreakFlag; });
    // A handler run during the wait may have released the graph already.
    if (done.end != TGraphCallEnd::Done && pipeline_) {
        Notify(TControlEvent::GraphReleased);
        gst_object_unref(LetGoOfGraph()); // the worker holds its own reference
    }
    return done;
}

TGraphCall TFilterGraph::ChangeState(GstState target) {
    // A graph at rest in the target state needs no call (the stop before an emptying, the
    // reset before a file): reading its state waits on nothing.
    GstState current = GST_STATE_VOID_PENDING, pending = GST_STATE_VOID_PENDING;
    if (gst_element_get_state(pipeline_, &current, &pending, 0) == GST_STATE_CHANGE_SUCCESS &&
        current == target && pending == GST_STATE_VOID_PENDING)
        return {TGraphCallEnd::Done, GST_STATE_CHANGE_SUCCESS};
    return CallGraph([target](GstElement* g) { return int(gst_element_set_state(g, target)); });
}

bool TFilterGraph::ChangeStateTo(GstState target) {
    const TGraphCall change = ChangeState(target);
    return change.end == TGraphCallEnd::Done && change.result != GST_STATE_CHANGE_FAILURE;
}

void TFilterGraph::NextGeneration() {
    ++generation_;
}

// Runs on whichever thread posts: hands the message to the UI thread, which wakes the render
// wait at once. There, messages of an older graph generation (of a file or a graph let go)
// are dropped; a graph let go reaches nothing at all.
GstBusSyncReply TFilterGraph::BusSyncHandler(GstBus*, GstMessage* message, gpointer data) {
    // A dropped message's reference is the handler's to release: it goes with the call.
    std::shared_ptr<GstMessage> held(message, gst_message_unref);
    BusLink::Of(data)->With([&held](TFilterGraph& graph) {
        if (GST_MESSAGE_TYPE(held.get()) == GST_MESSAGE_ERROR) graph.busError_ = true;
        graph.busHandOver_.Post([&graph, held, generation = graph.generation_.load()] {
            graph.HandleMessage(held.get(), generation);
        });
    });
    return GST_BUS_DROP;
}

void TFilterGraph::HandleMessage(GstMessage* message, unsigned generation) {
    if (generation != generation_) return;
    for (IGraphListener* l : std::vector(listeners_))
        l->GraphEvent(message);
    if (OnDSEvent) OnDSEvent(this, message);
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS && OnGraphComplete)
        OnGraphComplete(this, 0, nullptr);
}

int TFilterGraph::OpenMediaFile(const std::string& path, TRenderPurpose purpose) {
    if (!pipeline_) return kNoGraph;
    Notify(TControlEvent::RenderStart);
    // READY, where EmptyGraph leaves the graph: the last file's elements are gone there.
    const TGraphCall reset = ChangeState(GST_STATE_READY);
    if (reset.end != TGraphCallEnd::Done)
        return reset.end == TGraphCallEnd::NoAnswer ? kRenderNoAnswer : kRenderAborted;
    if (!pipeline_) return kRenderFailed; // released by a handler run during the wait
    NextGeneration();
    rendered_ = false;
    purpose_ = purpose;
    // Before the preroll: the first samples reach the output as soon as the graph runs. A
    // probe's pictures reach no sink of the pane (the display's sink would show them); the
    // sink is swapped at READY, where playbin takes it.
    g_object_set(pipeline_, "mute", gboolean(Probing()), nullptr);
    GstElement* videoSink = HeldOnGraph(pipeline_, Probing() ? kProbeVideoSink : kPlayVideoSink);
    GstElement* current = nullptr;
    g_object_get(pipeline_, "video-sink", &current, nullptr);
    if (current != videoSink) g_object_set(pipeline_, "video-sink", videoSink, nullptr);
    if (current) gst_object_unref(current);
    graphDurationMs_ = kDurationNotAsked;
    fileDurationMs_ = -1;
    GError* error = nullptr;
    gchar* uri = gst_filename_to_uri(path.c_str(), &error);
    if (!uri) {
        g_clear_error(&error);
        return kRenderFailed;
    }
    uri_ = uri;
    g_free(uri);
    path_ = path;
    g_object_set(pipeline_, "uri", uri_.c_str(), nullptr);
    busError_ = false;
    const unsigned generation = generation_;
    const TGraphCall open = ChangeState(GST_STATE_PAUSED);
    if (open.end != TGraphCallEnd::Done)
        return open.end == TGraphCallEnd::NoAnswer ? kRenderNoAnswer : kRenderAborted;
    // Through the wait even when the change failed at once (the wait then sees the failure):
    // its events come first, so a break or a close that came with the file's first messages
    // counts however soon the file fails.
    const int status = pipeline_ && generation == generation_ ? WaitForPreroll() : kRenderFailed;
    if (status != kRenderOk) {
        // A handler run during the wait may have emptied, released or re-rendered the
        // graph: then the graph is theirs and stays as they left it. A streaming thread
        // stuck in a read of the file holds up the change to NULL.
        if (pipeline_ && generation == generation_) {
            const TGraphCall empty = ChangeState(GST_STATE_NULL);
            NextGeneration();
            if (empty.end == TGraphCallEnd::NoAnswer) return kRenderNoAnswer;
        }
        return status;
    }
    rendered_ = true;
    ApplyAudioSettings();
    Notify(TControlEvent::RenderDone);
    return kRenderOk;
}

// A damaged file may never finish prerolling nor post an error, so the wait is bounded and
// a timeout counts as a failure. The window stays live from the start of the wait, and a
// break or a close (which sets the break flag) ends it at once.
int TFilterGraph::WaitForPreroll() {
    OwnBreak ownBreak;
    const unsigned generation = generation_;
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        // The events first: a close that came with the graph's first messages ends the wait
        // even when the file fails at once.
        ProcessPendingEvents(waitEvents_);
        if (BreakFlag) return kRenderAborted;
        // A handler run meanwhile may have replaced or released the graph.
        if (!pipeline_ || generation != generation_ || busError_) return kRenderFailed;
        const GstStateChangeReturn r =
            gst_element_get_state(pipeline_, nullptr, nullptr, 20 * GST_MSECOND);
        if (r == GST_STATE_CHANGE_SUCCESS || r == GST_STATE_CHANGE_NO_PREROLL)
            return busError_ ? kRenderFailed : kRenderOk;
        if (r == GST_STATE_CHANGE_FAILURE) return kRenderFailed;
        if (timer.elapsed() >= renderTimeoutMs_) return kRenderTimeout;
    }
}

void TFilterGraph::ApplyAudioSettings() {
    SetVolume(volume_);
    // The balance is kept centred: the graph has no panorama stage. A rate other than 1.0
    // would be applied with a rate seek.
    if (rate_ != 1.0)
        gst_element_seek(pipeline_, rate_, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_SET,
                         0, GST_SEEK_TYPE_NONE, 0);
}

bool TFilterGraph::StartPlayback() {
    if (!pipeline_) return false;
    Notify(TControlEvent::Play);
    if (!rendered_) return true; // nothing in the graph to run
    return ChangeStateTo(GST_STATE_PLAYING);
}

bool TFilterGraph::PausePlayback() {
    if (!pipeline_) return false;
    Notify(TControlEvent::Pause);
    if (!rendered_) return true;
    return ChangeStateTo(GST_STATE_PAUSED);
}

bool TFilterGraph::StopPlayback() {
    if (!pipeline_) return false;
    Notify(TControlEvent::Stop);
    if (!rendered_) return true;
    return ChangeStateTo(GST_STATE_READY);
}

// READY drops the file's elements as NULL does, and the next file prerolls sooner from there
// (playbin need not be brought up from NULL again); the audio output is closed either way.
void TFilterGraph::EmptyGraph() {
    if (!pipeline_) return;
    const bool rendered = rendered_;
    const bool stopped = StopPlayback() && rendered;         // a rendered file's stop goes to READY
    if (pipeline_ && !stopped) ChangeState(GST_STATE_READY); // unless the stop left it behind
    NextGeneration();
    rendered_ = false;
    uri_.clear();
    path_.clear();
}

TPlaybackState TFilterGraph::PlaybackState() const {
    if (!pipeline_) return TPlaybackState::Uninitialised;
    // Like a state query with no wait: a change in progress reports where it is going.
    GST_OBJECT_LOCK(pipeline_);
    GstState target = GST_STATE_TARGET(pipeline_);
    GST_OBJECT_UNLOCK(pipeline_);
    switch (target) {
    case GST_STATE_PLAYING:
        return TPlaybackState::Playing;
    case GST_STATE_PAUSED:
        return TPlaybackState::Paused;
    default:
        return TPlaybackState::Stopped;
    }
}

int TFilterGraph::VolumeToHundredthsDb(int volume) {
    return int(std::nearbyint(std::log(volume + 1.0) * 1085.73)) - 10000;
}

double TFilterGraph::HundredthsDbToLinear(int hundredths) {
    if (hundredths <= -10000) return 0.0;
    return std::pow(10.0, hundredths / 2000.0);
}

void TFilterGraph::SetVolume(int volume) {
    volume_ = std::clamp(volume, 0, 10000);
    if (pipeline_)
        g_object_set(pipeline_, "volume", HundredthsDbToLinear(VolumeToHundredthsDb(volume_)),
                     nullptr);
}

// Asked of the graph once per file, on a worker: a parser that estimates from the file's size
// asks the file source, which asks the file system for the size of the open file, and a share
// that stopped answering would hold the window there (the seek bar asks several times a second).
bool TFilterGraph::QueryDurationMs(int64_t& ms) {
    if (!pipeline_ || !rendered_) return false;
    if (graphDurationMs_ == kDurationNotAsked) {
        const TGraphCall query = CallGraph(&PlaybinDurationMs);
        if (query.end != TGraphCallEnd::Done) return false;
        graphDurationMs_ = query.result;
    }
    const int64_t known = graphDurationMs_ >= 0 ? graphDurationMs_ : fileDurationMs_;
    if (known < 0) return false;
    ms = known;
    return true;
}

bool TFilterGraph::QueryPositionMs(int64_t& ms) {
    gint64 p = 0;
    if (!pipeline_ || !rendered_ || !gst_element_query_position(pipeline_, GST_FORMAT_TIME, &p) ||
        p < 0)
        return false;
    ms = p / GST_MSECOND;
    return true;
}

int TFilterGraph::DurationMs() {
    int64_t ms = 0;
    if (QueryDurationMs(ms)) return int(ms);
    if (!rendered_) return 0;
    // Some streams (MP3 without a header) answer no duration query, and the parser's estimate
    // from the frames it has seen is far off at a variable bit rate. Their frames are counted in
    // the file; the discoverer estimates any other kind. Either reads the file, so it runs on a
    // worker as the state changes do, and one that does not answer leaves the graph behind
    // with it. Asked once per file.
    if (fileDurationMs_ < 0) {
        const TGraphCall read = CallGraph(
            [path = path_, uri = uri_](GstElement*) { return FileDurationMs(path, uri); });
        if (read.end != TGraphCallEnd::Done) return 0;
        fileDurationMs_ = read.result;
    }
    return int(fileDurationMs_);
}

// A flushing seek waits for the streaming thread, which may be inside a read on a share that
// stopped answering: it runs as the state changes do.
bool TFilterGraph::SeekMs(int64_t ms) {
    if (!pipeline_ || !rendered_) return false;
    const gint64 at = std::max<int64_t>(ms, 0) * GST_MSECOND;
    const TGraphCall seek = CallGraph([at](GstElement* g) {
        return int(gst_element_seek_simple(
            g, GST_FORMAT_TIME, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), at));
    });
    return seek.end == TGraphCallEnd::Done && seek.result;
}

bool TFilterGraph::VideoSize(int& width, int& height) {
    width = height = 0;
    return pipeline_ && rendered_ && PlaybinVideoSize(pipeline_, width, height);
}

namespace {
struct StreamKinds {
    int video = 0, audio = 0, text = 0;
};
StreamKinds CountStreams(GstElement* pipeline) {
    StreamKinds k;
    g_object_get(pipeline, "n-video", &k.video, "n-audio", &k.audio, "n-text", &k.text, nullptr);
    return k;
}
} // namespace

int TFilterGraph::StreamCount() {
    if (!pipeline_ || !rendered_) return 0;
    StreamKinds k = CountStreams(pipeline_);
    return k.video + k.audio + k.text;
}

QString TFilterGraph::StreamName(int index) {
    if (!pipeline_ || !rendered_ || index < 0) return {};
    StreamKinds k = CountStreams(pipeline_);
    if (index < k.video) return QStringLiteral("Video %1").arg(index + 1);
    index -= k.video;
    if (index < k.audio) return QStringLiteral("Audio %1").arg(index + 1);
    index -= k.audio;
    if (index < k.text) return QStringLiteral("Subtitle %1").arg(index + 1);
    return {};
}

bool TFilterGraph::EnableStream(int index, int flags) {
    if (!pipeline_ || !rendered_ || flags != kStreamEnable) return false;
    StreamKinds k = CountStreams(pipeline_);
    const int audio = index - k.video;
    if (audio < 0 || audio >= k.audio) return false;
    g_object_set(pipeline_, "current-audio", audio, nullptr);
    // Without a flush the old track's queued sound plays on for about a second. A paused
    // graph is not flushed: there the seek can deadlock the stream switch of playbin.
    GstState state = GST_STATE_NULL;
    gst_element_get_state(pipeline_, &state, nullptr, 0);
    int64_t pos = 0;
    if (state == GST_STATE_PLAYING && QueryPositionMs(pos)) SeekMs(pos);
    return true;
}

std::vector<TGraphElement> TFilterGraph::Elements() {
    if (!pipeline_) return {};
    return ListGraphElements(pipeline_, ownElements_);
}

GstElement* TFilterGraph::FindElementByName(const QString& name) {
    for (const TGraphElement& e : Elements())
        if (e.name == name) return e.element;
    return nullptr;
}

void TFilterGraph::ShowFilterPages(QWidget* parent, GstElement* element, const QString& caption) {
    if (!element) return;
    TFilterPropertyDialog dialog(parent, element, caption);
    dialog.exec();
}
