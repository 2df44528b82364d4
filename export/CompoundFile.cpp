#include "export/CompoundFile.h"

#include "export/LittleEndian.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {
constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kIdsPerSector = kSectorSize / 4;        // FAT entries per FAT sector
constexpr uint32_t kHeaderDifatEntries = 109;              // FAT sector ids in the header
constexpr uint32_t kIdsPerDifatSector = kIdsPerSector - 1; // the last entry chains on
constexpr uint32_t kMiniStreamCutoff = 4096;

constexpr uint32_t kDifSect = 0xFFFFFFFC;
constexpr uint32_t kFatSect = 0xFFFFFFFD;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSect = 0xFFFFFFFF;
constexpr uint32_t kNoStream = 0xFFFFFFFF;

uint32_t CeilDiv(uint64_t a, uint64_t b) {
    return uint32_t((a + b - 1) / b);
}

// Sector map: the stream's sectors first, then the directory, the FAT and the DIFAT.
struct Layout {
    uint32_t streamSectors = 0;
    uint32_t fatSectors = 0;
    uint32_t difatSectors = 0;

    uint32_t DirSector() const { return streamSectors; }
    uint32_t FirstFat() const { return streamSectors + 1; }
    uint32_t FirstDifat() const { return FirstFat() + fatSectors; }
};

Layout MakeLayout(uint64_t streamSize) {
    Layout l;
    l.streamSectors = CeilDiv(streamSize, kSectorSize);
    // The FAT must also map its own sectors and the DIFAT's: grow until it covers them all.
    for (;;) {
        uint32_t fat =
            CeilDiv(uint64_t(l.streamSectors) + 1 + l.fatSectors + l.difatSectors, kIdsPerSector);
        uint32_t difat =
            fat > kHeaderDifatEntries ? CeilDiv(fat - kHeaderDifatEntries, kIdsPerDifatSector) : 0;
        if (fat == l.fatSectors && difat == l.difatSectors) return l;
        l.fatSectors = fat;
        l.difatSectors = difat;
    }
}

std::string Header(const Layout& l) {
    std::string h;
    h.reserve(kSectorSize);
    h.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    h.append(16, '\0'); // class id
    PutU16(h, 0x003E);  // minor version
    PutU16(h, 0x0003);  // major version 3: 512-byte sectors
    PutU16(h, 0xFFFE);  // byte order mark: little-endian
    PutU16(h, 9);       // sector shift: 2^9 = 512
    PutU16(h, 6);       // mini sector shift: 2^6 = 64
    h.append(6, '\0');  // reserved
    PutU32(h, 0);       // directory sectors: always 0 in version 3
    PutU32(h, l.fatSectors);
    PutU32(h, l.DirSector());
    PutU32(h, 0); // transaction signature
    PutU32(h, kMiniStreamCutoff);
    PutU32(h, kEndOfChain); // no mini FAT
    PutU32(h, 0);
    PutU32(h, l.difatSectors ? l.FirstDifat() : kEndOfChain);
    PutU32(h, l.difatSectors);
    for (uint32_t i = 0; i < kHeaderDifatEntries; ++i)
        PutU32(h, i < l.fatSectors ? l.FirstFat() + i : kFreeSect);
    return h;
}

void PutDirEntry(std::string& out, std::u16string_view name, uint8_t type, uint32_t child,
                 uint32_t start, uint32_t size) {
    size_t begin = out.size();
    for (char16_t c : name)
        PutU16(out, uint16_t(c));
    out.resize(begin + 64, '\0');
    PutU16(out, name.empty() ? 0 : uint16_t((name.size() + 1) * 2)); // with the terminator
    PutU8(out, type);
    PutU8(out, type ? 1 : 0); // colour: black (a one-node red-black tree)
    PutU32(out, kNoStream);   // left sibling
    PutU32(out, kNoStream);   // right sibling
    PutU32(out, child);
    out.append(16 + 4 + 8 + 8, '\0'); // class id, state bits, creation and modification times
    PutU32(out, start);
    PutU32(out, size);
    PutU32(out, 0); // high half of the size
}

std::string Directory(std::u16string_view name, uint32_t streamSize) {
    constexpr uint8_t kStream = 2, kRoot = 5;
    std::string d;
    d.reserve(kSectorSize);
    PutDirEntry(d, u"Root Entry", kRoot, 1, kEndOfChain, 0);
    PutDirEntry(d, name, kStream, kNoStream, 0, streamSize);
    PutDirEntry(d, {}, 0, kNoStream, 0, 0);
    PutDirEntry(d, {}, 0, kNoStream, 0, 0);
    return d;
}

std::string Fat(const Layout& l) {
    std::string f;
    f.reserve(size_t(l.fatSectors) * kSectorSize);
    for (uint32_t s = 0; s + 1 < l.streamSectors; ++s)
        PutU32(f, s + 1);
    PutU32(f, kEndOfChain); // last stream sector
    PutU32(f, kEndOfChain); // the directory's one sector
    for (uint32_t i = 0; i < l.fatSectors; ++i)
        PutU32(f, kFatSect);
    for (uint32_t i = 0; i < l.difatSectors; ++i)
        PutU32(f, kDifSect);
    while (f.size() < size_t(l.fatSectors) * kSectorSize)
        PutU32(f, kFreeSect);
    return f;
}

std::string Difat(const Layout& l) {
    std::string d;
    uint32_t fat = kHeaderDifatEntries;
    for (uint32_t i = 0; i < l.difatSectors; ++i) {
        for (uint32_t k = 0; k < kIdsPerDifatSector; ++k, ++fat)
            PutU32(d, fat < l.fatSectors ? l.FirstFat() + fat : kFreeSect);
        PutU32(d, i + 1 < l.difatSectors ? l.FirstDifat() + i + 1 : kEndOfChain);
    }
    return d;
}
} // namespace

void WriteCompoundFile(std::u16string_view name, std::string_view stream, const ByteSink& sink) {
    if (name.empty() || name.size() > 31) throw std::invalid_argument("compound file stream name");
    if (stream.size() > 0xFFFFFFFFu - kSectorSize) throw std::length_error("stream over 4 GB");
    uint32_t size = std::max(uint32_t(stream.size()), kMiniStreamCutoff);
    Layout l = MakeLayout(size);
    sink(Header(l));
    sink(stream);
    sink(std::string(size_t(l.streamSectors) * kSectorSize - stream.size(), '\0'));
    sink(Directory(name, size));
    sink(Fat(l));
    sink(Difat(l));
}
