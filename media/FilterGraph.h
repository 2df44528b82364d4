// TFilterGraph (FG): owns the one media graph of the program, a GStreamer playbin. It opens
// one file at a time, runs, pauses, stops and empties the graph, reports duration, picture
// size, streams and elements, sets the volume and delivers the graph's events on the UI
// thread. The video pane and the sample grabber contribute their own elements ("own
// filters"); the video pane and the seek bar listen to its control notifications.
#pragma once

#include "platform/fs/Paths.h"
#include "platform/threads/HandOver.h"

#include <QEventLoop>
#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;
class TFilterGraph;

// An element of the graph as the window and the player hand it back (to the property dialog,
// to a decoder's settings): an opaque handle, borrowed, valid while the graph is unchanged.
// Media's own sources reach the element behind it through media/GstGraph.h.
struct TMediaElement;

enum class TPlaybackState { Uninitialised, Stopped, Paused, Playing };

enum class TControlEvent {
    Play,
    Pause,
    Stop,
    RenderStart,
    RenderDone,
    GraphCreated,
    GraphReleased
};

// One message of the graph, delivered on the UI thread: every message the graph posts, of
// which the end of the stream and an error are told apart.
struct TGraphEvent {
    enum class Kind { EndOfStream, Error, Other };
    Kind kind = Kind::Other;
    QString text; // an error's text
};

// A component told of the graph's control steps and of every graph event.
class IGraphListener {
public:
    virtual ~IGraphListener() = default;
    virtual void ControlEvent(TControlEvent event) = 0;
    virtual void GraphEvent(const TGraphEvent& /*event*/) {}
};

// A component that contributes one element to every graph, under its component name.
class IGraphFilter {
public:
    enum class Place { VideoRenderer, AudioFilter };
    virtual ~IGraphFilter() = default;
    virtual Place FilterPlace() const = 0;
    // Creates the element when the graph is created; the graph takes the reference.
    virtual TMediaElement* FilterAdding() = 0;
    // The graph lets go of the element: it is about to be destroyed, or it stays with a graph
    // left to a stuck worker. Either way its callbacks must not reach the component any more.
    virtual void FilterRemoved() = 0;
};

// One element of the graph as the element list shows it.
struct TGraphElement {
    QString name;
    TMediaElement* element = nullptr; // borrowed: valid while the graph is unchanged
    bool fileSource = false;          // listed by its file's name, which names no filter
};

// Status codes of OpenMediaFile.
constexpr int kRenderOk = 0;
constexpr int kNoGraph = 1;                    // S_FALSE
constexpr int kRenderFailed = int(0x80004005); // E_FAIL
constexpr int kRenderTimeout = int(0x800705B4);
constexpr int kRenderAborted = int(0x80004004); // E_ABORT: a break or a close during the wait
// ERROR_SEM_TIMEOUT: a state change did not return within the disk deadline (the file's disk
// or share does not answer); the graph was left behind.
constexpr int kRenderNoAnswer = int(0x80070079);

// Why a file is opened: to be played, or probed for its values (silently, and never over
// the whole screen).
enum class TRenderPurpose { Play, Probe };

// Flags of EnableStream.
constexpr int kStreamDisable = 0;
constexpr int kStreamEnable = 1;
constexpr int kStreamEnableAll = 2;

class TFilterGraph : public QObject {
    Q_OBJECT
public:
    explicit TFilterGraph(QObject* parent = nullptr);
    ~TFilterGraph() override;

    bool Active() const;
    void SetActive(bool active);

    // Own filters and listeners join when their component names this graph.
    void AddFilter(IGraphFilter* filter);
    void RemoveFilter(IGraphFilter* filter);
    void AddListener(IGraphListener* listener);
    void RemoveListener(IGraphListener* listener);

    // Prerolls the file (a path on disk) to paused, waiting at most RenderTimeoutMs while
    // pending window events are processed. kRenderOk, kNoGraph without a graph, or a failure;
    // kRenderAborted when a break or a close arrived during the wait; kRenderNoAnswer when a
    // state change did not return within the disk deadline.
    // A probe is muted from its first sample on; the stored volume stays as it is.
    //
    // Every state change and seek runs off the UI thread (GraphCall.h). One that has not
    // returned by the disk deadline, or whose wait a break or a close ended, leaves the graph
    // to its worker: FG lets go of it as on a release (Active becomes false) and the next
    // file gets a new graph.
    int OpenMediaFile(const RealPath& path, TRenderPurpose purpose = TRenderPurpose::Play);
    bool StartPlayback();
    bool PausePlayback();
    bool StopPlayback();
    // Stops and drops the file; the own filters stay for the next file.
    void EmptyGraph();
    TPlaybackState PlaybackState() const;
    bool HasFile() const { return rendered_; }
    // The file in the graph was opened as a probe.
    bool Probing() const { return purpose_ == TRenderPurpose::Probe; }

    // The window events handled while the graph waits: a command with a break button lets
    // all through, the others keep user input out (the default).
    void SetWaitEvents(QEventLoop::ProcessEventsFlags flags) { waitEvents_ = flags; }
    QEventLoop::ProcessEventsFlags WaitEvents() const { return waitEvents_; }

    void SetVolume(int volume);
    int Volume() const { return volume_; }
    // ln(v + 1) x 1085.73, rounded half to even, minus 10000: hundredths of a decibel.
    static int VolumeToHundredthsDb(int volume);
    // 10^(hundredths / 2000); -10000 is silence, exactly 0.
    static double HundredthsDbToLinear(int hundredths);

    // Duration in ms, 0 without a rendered file. When the graph cannot answer, the frames of
    // an MPEG audio file are counted, and any other kind gets the discoverer's estimate: read
    // off the UI thread, within the disk deadline.
    int DurationMs();
    bool QueryDurationMs(int64_t& ms);
    bool QueryPositionMs(int64_t& ms);
    bool StopPositionMs(int64_t& ms) { return QueryDurationMs(ms); }
    // Flushing, accurate seek, run as the state changes are: false when it failed or the graph
    // was left behind.
    bool SeekMs(int64_t ms);
    // Native size of the first video stream; false (0 x 0) without video.
    bool VideoSize(int& width, int& height);

    // Stream selection: "Video n", "Audio n" and "Subtitle n" in that order.
    int StreamCount();
    QString StreamName(int index);
    // kStreamEnable on an audio stream makes it the one heard (at once). Mixing all audio
    // streams and disabling the audio are not available with this graph: false.
    bool EnableStream(int index, int flags);

    // The graph's filters in graph order: source (its file name), demuxer, parsers,
    // decoders, converters, sinks and the own filters ("VW", "SampleGrabber"), the last
    // two also when the file leaves them unconnected.
    std::vector<TGraphElement> Elements();
    TMediaElement* FindElementByName(const QString& name);
    // A modal dialog over the element's properties, captioned with its name.
    void ShowFilterPages(QWidget* parent, TMediaElement* element, const QString& caption);

    // Test and tuning hooks: the audio output element (default: the desktop's sink, or a
    // clock-synchronised fake sink without a sound device) and the bound of OpenMediaFile.
    void SetAudioSinkFactory(std::function<TMediaElement*()> factory);
    void SetRenderTimeoutMs(int ms) { renderTimeoutMs_ = ms; }
    int RenderTimeoutMs() const { return renderTimeoutMs_; }

    // `renderer` is always nullptr: the graph has no renderer of its own to name.
    std::function<void(TFilterGraph* sender, int result, TMediaElement* renderer)> OnGraphComplete;
    std::function<void(TFilterGraph* sender, const TGraphEvent& event)> OnDSEvent;

private:
    // The graph's playbin, for media's sources and the tests (media/GstGraph.h).
    friend TMediaElement* PipelineElement(const TFilterGraph& graph);
    struct Graph; // the GStreamer side: the pipeline, its bus and the calls into it
    void CreateGraph();
    void ReleaseGraph();
    void NextGeneration();
    void Notify(TControlEvent event);
    void ApplyAudioSettings();
    void HandleEvent(const TGraphEvent& event, unsigned generation);
    int WaitForPreroll();

    std::unique_ptr<Graph> graph_;      // never null; holds a pipeline while Active
    THandOver busHandOver_;             // bus messages from the streaming threads to the UI thread
    std::atomic<bool> busError_{false}; // the graph posted an error since its file was opened
    std::vector<IGraphFilter*> filters_;
    std::vector<IGraphListener*> listeners_;
    std::function<TMediaElement*()> audioSinkFactory_;
    std::atomic<unsigned> generation_{0}; // read by the bus handler
    QEventLoop::ProcessEventsFlags waitEvents_ = QEventLoop::ExcludeUserInputEvents;
    bool rendered_ = false;
    TRenderPurpose purpose_ = TRenderPurpose::Play;
    std::string uri_;
    RealPath path_;
    static constexpr int64_t kDurationNotAsked = -2;
    int64_t graphDurationMs_ = kDurationNotAsked; // the graph's answer; -1: it has none
    int64_t fileDurationMs_ = -1; // read from the file when the graph cannot tell; -1: not yet
    int renderTimeoutMs_ = 10000;
    int volume_ = 10000;
    int balance_ = 0;
    double rate_ = 1.0;
};
