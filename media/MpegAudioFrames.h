// The duration of an MPEG audio file (MP1, MP2, MP3) counted frame by frame. A file without a
// duration header answers no duration query in the graph, and an estimate from the first
// frames is far off at a variable bit rate; counting every frame's header gives the exact
// length at the cost of reading the file once. Reads the file: run it off the UI thread.
#pragma once

#include <cstdint>
#include <string>

// Milliseconds; -1 unless the whole file is one unbroken run of frames of one kind (ID3v2 tags
// before it and an ID3v1, APE or Lyrics3 tag after it allowed) of at most 16 MiB.
int64_t MpegAudioDurationMs(const std::string& path);
