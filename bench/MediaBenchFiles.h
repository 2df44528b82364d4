// Short media files for the media benchmarks: four kinds made with GStreamer pipelines, then
// copied under numbered names up to the count asked for.
#pragma once

#include "media/GstGraph.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

inline void GenerateMediaFile(const std::string& target, const std::string& launch) {
    if (std::filesystem::exists(target)) return;
    std::string line = launch + " ! filesink location=\"" + target + ".part\"";
    GError* error = nullptr;
    GstElement* p = gst_parse_launch(line.c_str(), &error);
    if (!p) throw std::runtime_error(error ? error->message : "parse failed");
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
    std::filesystem::rename(target + ".part", target);
}

// count files in dir (created when missing), the four kinds in turn.
inline std::vector<std::string> BenchMediaFiles(const std::string& dir, int count) {
    EnsureGstInit();
    std::filesystem::create_directories(dir);
    const std::string video = "videotestsrc num-buffers=25 ! "
                              "video/x-raw,width=320,height=240,framerate=25/1 ! ";
    const std::string audio = "audiotestsrc num-buffers=44 ! audio/x-raw,rate=44100,channels=2 ! "
                              "audioconvert ! ";
    struct Kind {
        std::string name, launch;
    };
    const std::vector<Kind> kinds = {
        {"base.mkv", video +
                         "x264enc speed-preset=ultrafast ! h264parse ! queue ! matroskamux "
                         "name=m " +
                         audio + "vorbisenc ! queue ! m. m."},
        {"base.avi", video + "avenc_mpeg4 ! queue ! avimux name=m " + audio +
                         "lamemp3enc ! mpegaudioparse ! queue ! m. m."},
        {"base.mp4", video + "x264enc speed-preset=ultrafast ! h264parse ! queue ! mp4mux name=m " +
                         audio + "avenc_aac ! queue ! m. m."},
        {"base.mp3", audio + "lamemp3enc"},
    };
    for (const Kind& k : kinds)
        GenerateMediaFile(dir + "/" + k.name, k.launch);
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        const Kind& k = kinds[size_t(i) % kinds.size()];
        const std::string ext = k.name.substr(k.name.find('.'));
        const std::string file = dir + "/file" + std::to_string(i) + ext;
        if (!std::filesystem::exists(file)) std::filesystem::copy_file(dir + "/" + k.name, file);
        files.push_back(file);
    }
    return files;
}
