#include "media/FilterGraph.h"

#include "media/FilterPropertyDialog.h"
#include "media/GstCallbackLink.h"
#include "media/GstGraph.h"
#include "media/GstGraphCall.h"
#include "media/GstGraphElements.h"
#include "media/GstGraphFacts.h"
#include "platform/disks/DiskCalls.h"
#include "platform/threads/EventWait.h"
#include "platform/ui/Shell.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

void EnsureGstInit() {
    if (!gst_is_initialized()) gst_init(nullptr, nullptr);
}

// The graph's GStreamer state and the calls into it.
struct TFilterGraph::Graph {
    using BusLink = TCallbackLink<TFilterGraph>;
    explicit Graph(TFilterGraph& owner) : fg(owner) {}

    GstElement* LetGo();
    TGraphCall Call(std::function<int(GstElement*)> call);
    TGraphCall ChangeState(GstState target);
    bool ChangeStateTo(GstState target);
    GstElement* MakeAudioSink();
    static GstBusSyncReply BusSyncHandler(GstBus* bus, GstMessage* message, gpointer data);

    TFilterGraph& fg;
    GstElement* pipeline = nullptr;
    std::shared_ptr<BusLink> busLink;     // the bus handler's way to FG, while there is a graph
    std::vector<GstElement*> ownElements; // the own filters' elements, held by the graph
};

TMediaElement* PipelineElement(const TFilterGraph& graph) {
    return MediaElementOf(graph.graph_->pipeline);
}

TFilterGraph::TFilterGraph(QObject* parent)
    : QObject(parent), graph_(std::make_unique<Graph>(*this)), busHandOver_(this) {
    EnsureGstInit();
}

TFilterGraph::~TFilterGraph() {
    SetActive(false);
    busHandOver_.Close(); // messages still queued refer to this graph
}

bool TFilterGraph::Active() const {
    return graph_->pipeline != nullptr;
}

void TFilterGraph::SetActive(bool active) {
    if (active && !Active()) CreateGraph();
    if (!active && Active()) ReleaseGraph();
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

void TFilterGraph::SetAudioSinkFactory(std::function<TMediaElement*()> factory) {
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

GstElement* TFilterGraph::Graph::MakeAudioSink() {
    if (fg.audioSinkFactory_) return GstElementOf(fg.audioSinkFactory_());
    GstElement* sink = gst_element_factory_make(AudioSinkFactoryName(), nullptr);
    if (sink && g_strcmp0(AudioSinkFactoryName(), "fakesink") == 0)
        g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

void TFilterGraph::CreateGraph() {
    GstElement* pipeline = graph_->pipeline = MakePlaybin("FG");
    if (!pipeline) return;
    if (GstElement* sink = graph_->MakeAudioSink())
        g_object_set(pipeline, "audio-sink", sink, nullptr);
    // A probe's pictures go nowhere, and so do a film's without a video pane (playbin would
    // pick a desktop sink). The graph holds both sinks, so either lives while swapped out.
    HoldOnGraph(pipeline, kProbeVideoSink, MakeFakeVideoSink());
    GstElement* playSink = nullptr;
    for (IGraphFilter* f : filters_) {
        GstElement* e = GstElementOf(f->FilterAdding());
        if (!e) continue;
        graph_->ownElements.push_back(e);
        if (f->FilterPlace() == IGraphFilter::Place::VideoRenderer)
            playSink = e;
        else
            g_object_set(pipeline, "audio-filter", e, nullptr);
    }
    HoldOnGraph(pipeline, kPlayVideoSink, playSink ? playSink : MakeFakeVideoSink());
    g_object_set(pipeline, "video-sink", HeldOnGraph(pipeline, kPlayVideoSink), nullptr);
    using BusLink = Graph::BusLink;
    graph_->busLink = std::make_shared<BusLink>(this);
    GstBus* bus = gst_element_get_bus(pipeline);
    gst_bus_set_sync_handler(bus, &Graph::BusSyncHandler, BusLink::Hold(graph_->busLink),
                             &BusLink::Release);
    gst_object_unref(bus);
    Notify(TControlEvent::GraphCreated);
}

// The release may run while the window closes or is destroyed: a graph stuck on a share that
// stopped answering is left to a worker, and nothing waits for it.
void TFilterGraph::ReleaseGraph() {
    Notify(TControlEvent::GraphReleased);
    ReleaseGraphDetached(graph_->LetGo());
}

// Forgets the graph and hands back FG's reference to it; its messages and its elements'
// callbacks reach nothing from now on.
GstElement* TFilterGraph::Graph::LetGo() {
    busLink->Cut();
    busLink.reset();
    fg.NextGeneration();
    fg.rendered_ = false;
    ownElements.clear();
    for (IGraphFilter* f : fg.filters_)
        f->FilterRemoved();
    return std::exchange(pipeline, nullptr);
}

namespace {
// Only a break during a wait of the graph counts: a flag left set by an earlier command would
// fail every later file. It is put back for that command's own checks.
struct OwnBreak {
    bool earlier = std::exchange(BreakFlag, false);
    ~OwnBreak() { BreakFlag = BreakFlag || earlier; }
};
} // namespace

TGraphCall TFilterGraph::Graph::Call(std::function<int(GstElement*)> call) {
    OwnBreak ownBreak;
    const TGraphCall done =
        CallGraphDetached(pipeline, std::move(call), fg.waitEvents_, [] { return BreakFlag; });
    // A handler run during the wait may have released the graph already.
    if (done.end != TGraphCallEnd::Done && pipeline) {
        fg.Notify(TControlEvent::GraphReleased);
        gst_object_unref(LetGo()); // the worker holds its own reference
    }
    return done;
}

TGraphCall TFilterGraph::Graph::ChangeState(GstState target) {
    // A graph at rest in the target state needs no call (the stop before an emptying, the
    // reset before a file): reading its state waits on nothing.
    GstState current = GST_STATE_VOID_PENDING, pending = GST_STATE_VOID_PENDING;
    if (gst_element_get_state(pipeline, &current, &pending, 0) == GST_STATE_CHANGE_SUCCESS &&
        current == target && pending == GST_STATE_VOID_PENDING)
        return {TGraphCallEnd::Done, GST_STATE_CHANGE_SUCCESS};
    return Call([target](GstElement* g) { return int(gst_element_set_state(g, target)); });
}

bool TFilterGraph::Graph::ChangeStateTo(GstState target) {
    const TGraphCall change = ChangeState(target);
    return change.end == TGraphCallEnd::Done && change.result != GST_STATE_CHANGE_FAILURE;
}

void TFilterGraph::NextGeneration() {
    ++generation_;
}

namespace {
// What the graph's listeners read of a bus message.
TGraphEvent GraphEventOf(GstMessage* message) {
    TGraphEvent event;
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_EOS:
        event.kind = TGraphEvent::Kind::EndOfStream;
        break;
    case GST_MESSAGE_ERROR: {
        event.kind = TGraphEvent::Kind::Error;
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        if (error) event.text = QString::fromUtf8(error->message);
        g_clear_error(&error);
        break;
    }
    default:
        break;
    }
    return event;
}
} // namespace

// Runs on whichever thread posts: hands the message to the UI thread as an event, which wakes
// the render wait at once. There, events of an older graph generation (of a file or a graph
// let go) are dropped; a graph let go reaches nothing at all.
GstBusSyncReply TFilterGraph::Graph::BusSyncHandler(GstBus*, GstMessage* message, gpointer data) {
    BusLink::Of(data)->With([message](TFilterGraph& graph) {
        const TGraphEvent event = GraphEventOf(message);
        if (event.kind == TGraphEvent::Kind::Error) graph.busError_ = true;
        graph.busHandOver_.Post([&graph, event, generation = graph.generation_.load()] {
            graph.HandleEvent(event, generation);
        });
    });
    gst_message_unref(message); // a dropped message is the handler's to release
    return GST_BUS_DROP;
}

void TFilterGraph::HandleEvent(const TGraphEvent& event, unsigned generation) {
    if (generation != generation_) return;
    for (IGraphListener* l : std::vector(listeners_))
        l->GraphEvent(event);
    if (OnDSEvent) OnDSEvent(this, event);
    if (event.kind == TGraphEvent::Kind::EndOfStream && OnGraphComplete)
        OnGraphComplete(this, 0, nullptr);
}

int TFilterGraph::OpenMediaFile(const RealPath& path, TRenderPurpose purpose) {
    if (!Active()) return kNoGraph;
    Notify(TControlEvent::RenderStart);
    // READY, where EmptyGraph leaves the graph: the last file's elements are gone there.
    const TGraphCall reset = graph_->ChangeState(GST_STATE_READY);
    if (reset.end != TGraphCallEnd::Done)
        return reset.end == TGraphCallEnd::NoAnswer ? kRenderNoAnswer : kRenderAborted;
    GstElement* pipeline = graph_->pipeline;
    if (!pipeline) return kRenderFailed; // released by a handler run during the wait
    NextGeneration();
    rendered_ = false;
    purpose_ = purpose;
    // Before the preroll: the first samples reach the output as soon as the graph runs. A
    // probe's pictures reach no sink of the pane (the display's sink would show them); the
    // sink is swapped at READY, where playbin takes it.
    g_object_set(pipeline, "mute", gboolean(Probing()), nullptr);
    GstElement* videoSink = HeldOnGraph(pipeline, Probing() ? kProbeVideoSink : kPlayVideoSink);
    GstElement* current = nullptr;
    g_object_get(pipeline, "video-sink", &current, nullptr);
    if (current != videoSink) g_object_set(pipeline, "video-sink", videoSink, nullptr);
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
    g_object_set(pipeline, "uri", uri_.c_str(), nullptr);
    busError_ = false;
    const unsigned generation = generation_;
    const TGraphCall open = graph_->ChangeState(GST_STATE_PAUSED);
    if (open.end != TGraphCallEnd::Done)
        return open.end == TGraphCallEnd::NoAnswer ? kRenderNoAnswer : kRenderAborted;
    // Through the wait even when the change failed at once (the wait then sees the failure):
    // its events come first, so a break or a close that came with the file's first messages
    // counts however soon the file fails.
    const int status = Active() && generation == generation_ ? WaitForPreroll() : kRenderFailed;
    if (status != kRenderOk) {
        // A handler run during the wait may have emptied, released or re-rendered the
        // graph: then the graph is theirs and stays as they left it. A streaming thread
        // stuck in a read of the file holds up the change to NULL.
        if (Active() && generation == generation_) {
            const TGraphCall empty = graph_->ChangeState(GST_STATE_NULL);
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
        if (!Active() || generation != generation_ || busError_) return kRenderFailed;
        const GstStateChangeReturn r =
            gst_element_get_state(graph_->pipeline, nullptr, nullptr, 20 * GST_MSECOND);
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
        gst_element_seek(graph_->pipeline, rate_, GST_FORMAT_TIME, GST_SEEK_FLAG_FLUSH,
                         GST_SEEK_TYPE_SET, 0, GST_SEEK_TYPE_NONE, 0);
}

bool TFilterGraph::StartPlayback() {
    if (!Active()) return false;
    Notify(TControlEvent::Play);
    if (!rendered_) return true; // nothing in the graph to run
    return graph_->ChangeStateTo(GST_STATE_PLAYING);
}

bool TFilterGraph::PausePlayback() {
    if (!Active()) return false;
    Notify(TControlEvent::Pause);
    if (!rendered_) return true;
    return graph_->ChangeStateTo(GST_STATE_PAUSED);
}

bool TFilterGraph::StopPlayback() {
    if (!Active()) return false;
    Notify(TControlEvent::Stop);
    if (!rendered_) return true;
    return graph_->ChangeStateTo(GST_STATE_READY);
}

// READY drops the file's elements as NULL does, and the next file prerolls sooner from there
// (playbin need not be brought up from NULL again); the audio output is closed either way.
void TFilterGraph::EmptyGraph() {
    if (!Active()) return;
    const bool rendered = rendered_;
    const bool stopped = StopPlayback() && rendered; // a rendered file's stop goes to READY
    if (Active() && !stopped) graph_->ChangeState(GST_STATE_READY); // unless the stop left it
    NextGeneration();
    rendered_ = false;
    uri_.clear();
    path_ = RealPath();
}

TPlaybackState TFilterGraph::PlaybackState() const {
    GstElement* pipeline = graph_->pipeline;
    if (!pipeline) return TPlaybackState::Uninitialised;
    // Like a state query with no wait: a change in progress reports where it is going.
    GST_OBJECT_LOCK(pipeline);
    GstState target = GST_STATE_TARGET(pipeline);
    GST_OBJECT_UNLOCK(pipeline);
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
    if (Active())
        g_object_set(graph_->pipeline, "volume",
                     HundredthsDbToLinear(VolumeToHundredthsDb(volume_)), nullptr);
}

// Asked of the graph once per file, on a worker: a parser that estimates from the file's size
// asks the file source, which asks the file system for the size of the open file, and a share
// that stopped answering would hold the window there (the seek bar asks several times a second).
bool TFilterGraph::QueryDurationMs(int64_t& ms) {
    if (!Active() || !rendered_) return false;
    if (graphDurationMs_ == kDurationNotAsked) {
        const TGraphCall query = graph_->Call(&PlaybinDurationMs);
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
    if (!Active() || !rendered_ ||
        !gst_element_query_position(graph_->pipeline, GST_FORMAT_TIME, &p) || p < 0)
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
        const TGraphCall read = graph_->Call(
            [path = path_, uri = uri_](GstElement*) { return FileDurationMs(path.Bytes(), uri); });
        if (read.end != TGraphCallEnd::Done) return 0;
        fileDurationMs_ = read.result;
    }
    return int(fileDurationMs_);
}

// A flushing seek waits for the streaming thread, which may be inside a read on a share that
// stopped answering: it runs as the state changes do.
bool TFilterGraph::SeekMs(int64_t ms) {
    if (!Active() || !rendered_) return false;
    const gint64 at = std::max<int64_t>(ms, 0) * GST_MSECOND;
    const TGraphCall seek = graph_->Call([at](GstElement* g) {
        return int(gst_element_seek_simple(
            g, GST_FORMAT_TIME, GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), at));
    });
    return seek.end == TGraphCallEnd::Done && seek.result;
}

bool TFilterGraph::VideoSize(int& width, int& height) {
    width = height = 0;
    return Active() && rendered_ && PlaybinVideoSize(graph_->pipeline, width, height);
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
    if (!Active() || !rendered_) return 0;
    StreamKinds k = CountStreams(graph_->pipeline);
    return k.video + k.audio + k.text;
}

QString TFilterGraph::StreamName(int index) {
    if (!Active() || !rendered_ || index < 0) return {};
    StreamKinds k = CountStreams(graph_->pipeline);
    if (index < k.video) return QStringLiteral("Video %1").arg(index + 1);
    index -= k.video;
    if (index < k.audio) return QStringLiteral("Audio %1").arg(index + 1);
    index -= k.audio;
    if (index < k.text) return QStringLiteral("Subtitle %1").arg(index + 1);
    return {};
}

bool TFilterGraph::EnableStream(int index, int flags) {
    if (!Active() || !rendered_ || flags != kStreamEnable) return false;
    GstElement* pipeline = graph_->pipeline;
    StreamKinds k = CountStreams(pipeline);
    const int audio = index - k.video;
    if (audio < 0 || audio >= k.audio) return false;
    g_object_set(pipeline, "current-audio", audio, nullptr);
    // Without a flush the old track's queued sound plays on for about a second. A paused
    // graph is not flushed: there the seek can deadlock the stream switch of playbin.
    GstState state = GST_STATE_NULL;
    gst_element_get_state(pipeline, &state, nullptr, 0);
    int64_t pos = 0;
    if (state == GST_STATE_PLAYING && QueryPositionMs(pos)) SeekMs(pos);
    return true;
}

std::vector<TGraphElement> TFilterGraph::Elements() {
    if (!Active()) return {};
    return ListGraphElements(graph_->pipeline, graph_->ownElements);
}

TMediaElement* TFilterGraph::FindElementByName(const QString& name) {
    for (const TGraphElement& e : Elements())
        if (e.name == name) return e.element;
    return nullptr;
}

void TFilterGraph::ShowFilterPages(QWidget* parent, TMediaElement* element,
                                   const QString& caption) {
    if (!element) return;
    TFilterPropertyDialog dialog(parent, element, caption);
    dialog.exec();
}
