// TSampleGrabber: the graph's audio filter. Decoded sound is converted to interleaved PCM of
// two channels (8, 16, 24 or 32 bits; other channel counts are mixed down) and every buffer
// is handed to OnBuffer, writable, on the streaming thread before it goes on to the audio
// output: what the handler writes is what is heard.
#pragma once

#include "media/FilterGraph.h"

#include <QPointer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

template <class T> class TCallbackLink;

class TSampleGrabber : public IGraphFilter {
public:
    TSampleGrabber() = default;
    ~TSampleGrabber() override;
    TSampleGrabber(const TSampleGrabber&) = delete;
    TSampleGrabber& operator=(const TSampleGrabber&) = delete;

    void SetFilterGraph(TFilterGraph* graph);

    // Runs on the streaming thread inside the grabber's lock, one buffer at a time; it must
    // not touch window controls. Set it before the graph runs.
    std::function<void(TSampleGrabber* sender, double sampleTime, uint8_t* buffer, int length)>
        OnBuffer;

    // Bits per sample of the negotiated format; 0 before any format was agreed.
    int ConnectedBitsPerSample() const { return bits_; }

    // IGraphFilter
    Place FilterPlace() const override { return Place::AudioFilter; }
    TMediaElement* FilterAdding() override;
    void FilterRemoved() override;

private:
    using ProbeLink = TCallbackLink<TSampleGrabber>;
    struct Probe; // the pad probe on the streaming thread (SampleGrabber.cpp)

    QPointer<TFilterGraph> graph_;
    std::shared_ptr<ProbeLink> probeLink_; // the grabber's lock: one buffer at a time
    std::atomic<int> bits_{0};
};
