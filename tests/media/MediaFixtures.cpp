#include "MediaFixtures.h"

#include <gst/app/gstappsink.h>
#include <gst/audio/audio.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// interleave leaves its channels unpositioned, which encoders refuse: make them left, right.
void PositionInterleavedChannels(GstElement* pipeline) {
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(pipeline));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        GstElement* e = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory* f = gst_element_get_factory(e);
        if (f && g_strcmp0(GST_OBJECT_NAME(f), "interleave") == 0) {
            G_GNUC_BEGIN_IGNORE_DEPRECATIONS
            GValueArray* positions = g_value_array_new(2);
            for (GstAudioChannelPosition p :
                 {GST_AUDIO_CHANNEL_POSITION_FRONT_LEFT, GST_AUDIO_CHANNEL_POSITION_FRONT_RIGHT}) {
                GValue v = G_VALUE_INIT;
                g_value_init(&v, GST_TYPE_AUDIO_CHANNEL_POSITION);
                g_value_set_enum(&v, p);
                g_value_array_append(positions, &v);
                g_value_unset(&v);
            }
            g_object_set(e, "channel-positions-from-input", FALSE, "channel-positions", positions,
                         nullptr);
            g_value_array_free(positions);
            G_GNUC_END_IGNORE_DEPRECATIONS
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
}

// Runs a launch line to its end; the target is written under a temporary name and renamed.
void Generate(const std::string& target, const std::string& launch) {
    if (fs::exists(target)) return;
    const std::string temp = target + ".part" + std::to_string(getpid());
    std::string line = launch;
    line.replace(line.find("@OUT@"), 5, "\"" + temp + "\"");
    GError* error = nullptr;
    GstElement* p = gst_parse_launch(line.c_str(), &error);
    if (!p) throw std::runtime_error(error ? error->message : "parse failed");
    PositionInterleavedChannels(p);
    gst_element_set_state(p, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(p);
    GstMessage* m = gst_bus_timed_pop_filtered(bus, 120 * GST_SECOND,
                                               GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = m && GST_MESSAGE_TYPE(m) == GST_MESSAGE_EOS;
    if (m) gst_message_unref(m);
    gst_object_unref(bus);
    gst_element_set_state(p, GST_STATE_NULL);
    gst_object_unref(p);
    if (!ok) throw std::runtime_error("cannot generate " + target);
    fs::rename(temp, target);
}

void CopyPrefix(const std::string& from, const std::string& to, size_t bytes) {
    if (fs::exists(to)) return;
    std::ifstream in(from, std::ios::binary);
    std::string data(bytes, '\0');
    in.read(data.data(), std::streamsize(bytes));
    data.resize(size_t(in.gcount()));
    const std::string temp = to + ".part" + std::to_string(getpid());
    std::ofstream(temp, std::ios::binary) << data;
    fs::rename(temp, to);
}

TestMedia MakeMedia() {
    EnsureGstInit();
    TestMedia m;
    m.dir = std::string(TAVLORA_TEST_DIR) + "/media";
    fs::create_directories(m.dir);
    const std::string tone = "audiotestsrc freq=%d num-buffers=%d ! "
                             "audio/x-raw,rate=44100,channels=1,format=S16LE ! ";
    auto toneOf = [&](int freq, int buffers) {
        char text[200];
        std::snprintf(text, sizeof text, tone.c_str(), freq, buffers);
        return std::string(text);
    };
    m.twoTracks = m.dir + "/two.mkv";
    Generate(m.twoTracks,
             "videotestsrc num-buffers=75 ! video/x-raw,width=320,height=240,framerate=25/1 ! "
             "x264enc speed-preset=ultrafast ! h264parse ! queue ! matroskamux name=m ! filesink "
             "location=@OUT@ " +
                 toneOf(300, 130) + "interleave name=a ! audioconvert ! vorbisenc ! queue ! m. " +
                 toneOf(1200, 130) + "a. " + toneOf(2400, 130) +
                 "interleave name=b ! audioconvert ! vorbisenc ! queue ! m. " + toneOf(600, 130) +
                 "b.");
    m.avi = m.dir + "/clip.avi";
    Generate(m.avi, "videotestsrc num-buffers=50 ! video/x-raw,width=176,height=144,framerate=25/1 "
                    "! avenc_mpeg4 ! queue ! avimux name=m ! filesink location=@OUT@ " +
                        toneOf(440, 87) +
                        "audioconvert ! lamemp3enc ! mpegaudioparse ! queue ! m.");
    m.mp4 = m.dir + "/clip.mp4";
    Generate(m.mp4, "videotestsrc num-buffers=50 ! video/x-raw,width=352,height=288,framerate=25/1 "
                    "! x264enc speed-preset=ultrafast ! h264parse ! queue ! mp4mux name=m ! "
                    "filesink location=@OUT@ " +
                        toneOf(440, 87) + "audioconvert ! avenc_aac ! queue ! m.");
    m.audioOnly = m.dir + "/tone.mp3";
    Generate(m.audioOnly, toneOf(440, 87) + "audioconvert ! lamemp3enc ! filesink location=@OUT@");
    m.longCbrMp3 = m.dir + "/long-cbr.mp3";
    Generate(m.longCbrMp3, toneOf(440, 1723) + "audioconvert ! "
                                               "lamemp3enc target=bitrate bitrate=128 cbr=true ! "
                                               "filesink location=@OUT@");
    m.longVbrMp3 = m.dir + "/long-vbr.mp3";
    Generate(m.longVbrMp3,
             toneOf(440, 1723) + "audioconvert ! lamemp3enc quality=2 ! filesink location=@OUT@");
    m.taggedMp3 = m.dir + "/tagged.mp3";
    Generate(m.taggedMp3, "audiotestsrc num-buffers=200 ! audio/x-raw,rate=22050,channels=1 ! "
                          "audioconvert ! lamemp3enc ! taginject tags=\"title=tone\" ! "
                          "id3mux write-v1=true ! filesink location=@OUT@");
    m.realMedia = m.dir + "/clip.rm";
    if (!fs::exists(m.realMedia)) {
        const std::string temp = m.dir + "/part" + std::to_string(getpid()) + ".rm";
        const std::string cmd = "ffmpeg -nostdin -loglevel error -y -f lavfi -i "
                                "testsrc=size=176x144:rate=25:duration=2 -f lavfi -i "
                                "sine=frequency=440:duration=2 -c:v rv20 -c:a ac3 \"" +
                                temp + "\"";
        if (std::system(cmd.c_str()) == 0)
            fs::rename(temp, m.realMedia);
        else
            m.realMedia.clear();
    }
    m.wideDvd = m.dir + "/wide-dvd.mkv";
    Generate(m.wideDvd, "videotestsrc pattern=white num-buffers=5 ! video/x-raw,format=I420,"
                        "width=720,height=576,pixel-aspect-ratio=64/45 ! x264enc ! "
                        "matroskamux ! filesink location=@OUT@");
    m.oddName = m.dir + "/测试 #1.mkv";
    if (!fs::exists(m.oddName)) {
        const std::string temp = m.oddName + ".part" + std::to_string(getpid());
        fs::copy_file(m.twoTracks, temp);
        fs::rename(temp, m.oddName);
    }
    m.truncated = m.dir + "/truncated.mkv";
    CopyPrefix(m.twoTracks, m.truncated, 3000);
    m.random = m.dir + "/random.avi";
    if (!fs::exists(m.random)) {
        std::mt19937 gen(7);
        std::string data(200000, '\0');
        for (char& c : data)
            c = char(gen());
        const std::string temp = m.random + ".part" + std::to_string(getpid());
        std::ofstream(temp, std::ios::binary) << data;
        fs::rename(temp, m.random);
    }
    return m;
}

} // namespace

const TestMedia& Media() {
    static const TestMedia media = MakeMedia();
    return media;
}

ToneEstimate EstimateTones(const std::vector<int16_t>& s, int rate) {
    ToneEstimate t;
    const size_t frames = s.size() / 2;
    if (frames < 2) return t;
    int crossLeft = 0, crossRight = 0;
    for (size_t i = 1; i < frames; ++i) {
        crossLeft += (s[2 * i] >= 0) != (s[2 * i - 2] >= 0);
        crossRight += (s[2 * i + 1] >= 0) != (s[2 * i - 1] >= 0);
    }
    const double seconds = double(frames) / rate;
    t.left = crossLeft / 2.0 / seconds;
    t.right = crossRight / 2.0 / seconds;
    return t;
}

struct AudioCapture::State {
    std::mutex lock;
    std::vector<int16_t> samples;
};
using Link = TCallbackLink<AudioCapture::State>;

AudioCapture::AudioCapture() : state(new State), link(std::make_shared<Link>(state)) {}
AudioCapture::~AudioCapture() {
    link->Cut();
    delete state;
}

TMediaElement* AudioCapture::MakeSink() {
    GstElement* sink = gst_element_factory_make("appsink", nullptr);
    GstCaps* caps =
        gst_caps_from_string("audio/x-raw,format=S16LE,channels=2,rate=44100,layout=interleaved");
    g_object_set(sink, "caps", caps, "sync", gboolean(realTime), "emit-signals", TRUE, nullptr);
    gst_caps_unref(caps);
    gpointer held = Link::Hold(link); // the sink's reference, released when the sink goes
    g_object_set_data_full(G_OBJECT(sink), "capture", held, &Link::Release);
    g_signal_connect(sink, "new-sample",
                     G_CALLBACK(+[](GstElement* e, gpointer self) -> GstFlowReturn {
                         GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(e));
                         if (!sample) return GST_FLOW_OK;
                         GstMapInfo map;
                         GstBuffer* b = gst_sample_get_buffer(sample);
                         if (gst_buffer_map(b, &map, GST_MAP_READ)) {
                             Link::Of(self)->With([&map](State& st) {
                                 std::lock_guard g(st.lock);
                                 auto* p = reinterpret_cast<const int16_t*>(map.data);
                                 st.samples.insert(st.samples.end(), p, p + map.size / 2);
                             });
                             gst_buffer_unmap(b, &map);
                         }
                         gst_sample_unref(sample);
                         return GST_FLOW_OK;
                     }),
                     held);
    return MediaElementOf(sink);
}

std::vector<int16_t> AudioCapture::Take() {
    std::lock_guard g(state->lock);
    return std::exchange(state->samples, {});
}

size_t AudioCapture::Frames() {
    std::lock_guard g(state->lock);
    return state->samples.size() / 2;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}
