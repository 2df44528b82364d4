#include "media/MpegAudioFrames.h"

#include "platform/fs/BlockReader.h"

#include <array>
#include <cstring>

namespace {

struct TFrame {
    unsigned kind = 0; // version, layer and sample rate bits: every frame of a stream shares them
    int rate = 0;
    int samples = 0;
    int bytes = 0;
};

// Bit rates in kbit/s by row (MPEG-1 layer I, II, III; MPEG-2 and 2.5 layer I; II and III).
constexpr std::array<std::array<short, 15>, 5> kBitRates = {{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
}};

// The frame whose header is `h`; false for anything else (free-format frames included: their
// length is not in the header).
bool ReadHeader(const unsigned char* h, TFrame& frame) {
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0) return false;
    const int version = (h[1] >> 3) & 3; // 0 MPEG-2.5, 2 MPEG-2, 3 MPEG-1
    const int layer = 4 - ((h[1] >> 1) & 3);
    const int bitRateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || layer == 4 || bitRateIndex == 0 || bitRateIndex == 15 || rateIndex == 3)
        return false;
    constexpr int kRates[] = {44100, 48000, 32000};
    frame.rate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const bool mpeg1 = version == 3;
    const int row = mpeg1 ? layer - 1 : layer == 1 ? 3 : 4;
    const int bitRate = kBitRates[size_t(row)][size_t(bitRateIndex)] * 1000;
    const int padding = (h[2] >> 1) & 1;
    if (layer == 1) {
        frame.samples = 384;
        frame.bytes = (12 * bitRate / frame.rate + padding) * 4;
    } else {
        frame.samples = layer == 3 && !mpeg1 ? 576 : 1152;
        frame.bytes = frame.samples / 8 * bitRate / frame.rate + padding;
    }
    frame.kind = ((h[1] >> 1) & 0xF) << 2 | unsigned(rateIndex);
    return true;
}

// Where the audio starts: after any ID3v2 tags.
int64_t AudioStart(TBlockReader& file) {
    int64_t offset = 0;
    while (const unsigned char* t = file.At(offset, 10)) {
        if (std::memcmp(t, "ID3", 3) != 0 || ((t[6] | t[7] | t[8] | t[9]) & 0x80)) break;
        const int64_t size = int64_t(t[6]) << 21 | t[7] << 14 | t[8] << 7 | t[9];
        offset += 10 + size + ((t[5] & 0x10) ? 10 : 0); // the footer flag adds 10 bytes
    }
    return offset;
}

// What may follow the last frame: an ID3v1, APE or Lyrics3 tag.
bool TagFollows(TBlockReader& file, int64_t offset) {
    for (const char* tag : {"TAG", "APETAGEX", "LYRICSBEGIN"}) {
        const size_t n = std::strlen(tag);
        if (const unsigned char* t = file.At(offset, n); t && std::memcmp(t, tag, n) == 0)
            return true;
    }
    return false;
}

} // namespace

// The count reads the whole file: this much keeps it within the disk deadline on a slow share
// (1 MB/s); a longer file is left to the discoverer's estimate.
constexpr int64_t kMostCountedBytes = int64_t(16) << 20;

int64_t MpegAudioDurationMs(const std::string& path) {
    TBlockReader file(path);
    if (!file.Opened()) return -1;
    int64_t offset = AudioStart(file);
    TFrame first;
    int64_t frames = 0;
    while (const unsigned char* h = file.At(offset, 4)) {
        if (offset > kMostCountedBytes) return -1;
        TFrame frame;
        if (!ReadHeader(h, frame) || (frames > 0 && frame.kind != first.kind)) break;
        if (frames++ == 0) first = frame;
        offset += frame.bytes;
    }
    // Anything but a tag after the frames is not MPEG audio (a last frame cut short by the end
    // of the file still counts, as a player plays what it holds).
    if (frames == 0 || (file.At(offset, 1) && !TagFollows(file, offset)) || file.Failed())
        return -1;
    return frames * first.samples * 1000 / first.rate;
}
