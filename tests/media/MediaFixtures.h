// Media files for the media tests, generated once into the test scratch folder with
// GStreamer pipelines (and ffmpeg for RealMedia, which GStreamer cannot write).
#pragma once

#include "media/GstCallbackLink.h"
#include "media/GstGraph.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TestMedia {
    std::string dir;
    std::string
        twoTracks;   // 3 s, 320x240 H.264, audio 1: L 300 Hz / R 1200 Hz, audio 2: L 2400 / R 600
    std::string avi; // 2 s, 176x144 MPEG-4 part 2 + MP3
    std::string mp4; // 2 s, 352x288 H.264 + AAC
    std::string audioOnly; // 2 s MP3 tone
    // 40 s MP3 tones without a header, at a constant and at a variable bit rate
    std::string longCbrMp3, longVbrMp3;
    std::string taggedMp3; // 9.3 s MP3 at 22050 Hz (MPEG-2 frames) between ID3v2 and ID3v1 tags
    std::string realMedia; // 2 s, 176x144 RV20 + AC-3 (empty when ffmpeg is missing)
    std::string oddName;   // copy of twoTracks named with Chinese, a blank and "#"
    std::string wideDvd;   // all white 720x576 H.264, pixels 64:45 (a 16:9 DVD picture)
    std::string truncated; // the first 3000 bytes of twoTracks
    std::string random;    // random bytes
};

// Generates what is missing (safe when test processes run side by side).
const TestMedia& Media();

// Left and right tone frequencies of interleaved S16 stereo, by zero crossings.
struct ToneEstimate {
    double left = 0, right = 0;
};
ToneEstimate EstimateTones(const std::vector<int16_t>& interleaved, int rate);

// An audio output that records what would be heard, as S16LE stereo at 44100 Hz; without
// waiting for the clock unless `realTime`.
struct AudioCapture {
    AudioCapture();
    bool realTime = false;
    ~AudioCapture();
    TMediaElement* MakeSink(); // for TFilterGraph::SetAudioSinkFactory
    std::vector<int16_t> Take();
    size_t Frames();

    struct State;
    State* state;
    // The sinks' way to `state`, cut when the capture goes: a graph left to a worker outlives it.
    std::shared_ptr<TCallbackLink<State>> link;
};

// Processes events until the predicate holds or the time is up.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
