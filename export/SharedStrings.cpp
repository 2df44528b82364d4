#include "export/SharedStrings.h"

#include "export/BiffRecords.h"

#include <algorithm>

using namespace biff;

namespace {
// Strings are stored with one byte per character when every UTF-16 unit is below 0x100
// ("compressed"), else as UTF-16LE.
bool Compressible(const QString& s) {
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x100; });
}

// Writes records of the table, starting a CONTINUE record whenever the current one is full.
class SstRecords {
public:
    explicit SstRecords(std::string& out) : out_(out), at_(BeginRecord(out, rtSST)) {}
    ~SstRecords() { EndRecord(out_, at_); }

    size_t Space() const { return kMaxRecordData - (out_.size() - at_ - 4); }
    // Offset of the next byte from the start of the current record's header.
    size_t OffsetInRecord() const { return out_.size() - at_; }
    void Continue() {
        EndRecord(out_, at_);
        at_ = BeginRecord(out_, rtCONTINUE);
    }

private:
    std::string& out_;
    size_t at_;
};

void PutUnits(std::string& out, const QChar* units, size_t count, bool compressed) {
    for (size_t i = 0; i < count; ++i) {
        if (compressed)
            PutU8(out, uint8_t(units[i].unicode()));
        else
            PutU16(out, units[i].unicode());
    }
}
} // namespace

uint32_t SharedStringTable::Intern(const QString& text) {
    auto it = index_.constFind(text);
    if (it != index_.cend()) return *it;
    uint32_t index = Count();
    index_.insert(text, index);
    strings_.push_back(text);
    return index;
}

void SharedStringTable::Write(std::string& stream, uint32_t references) const {
    // EXTSST: the stream position of every dsst-th string, at most 128 buckets.
    const uint32_t perBucket = std::max<uint32_t>(8, (Count() + 127) / 128);
    struct Bucket {
        uint32_t streamPos;
        uint16_t recordOffset;
    };
    std::vector<Bucket> buckets;
    {
        SstRecords rec(stream);
        PutU32(stream, references);
        PutU32(stream, Count());
        for (uint32_t i = 0; i < Count(); ++i) {
            const QString& s = strings_[i];
            const bool compressed = Compressible(s);
            const size_t unit = compressed ? 1 : 2;
            // The 3-byte string header and the first character never part.
            const size_t first = s.isEmpty() ? 0 : s[0].isHighSurrogate() ? 2 * unit : unit;
            if (rec.Space() < 3 + first) rec.Continue();
            if (i % perBucket == 0)
                buckets.push_back({uint32_t(stream.size()), uint16_t(rec.OffsetInRecord())});
            PutU16(stream, uint16_t(s.size()));
            PutU8(stream, compressed ? 0 : 1);
            size_t done = 0, count = size_t(s.size());
            while (done < count) {
                size_t take = std::min(rec.Space() / unit, count - done);
                // A surrogate pair stays in one record.
                if (take > 0 && done + take < count &&
                    s[qsizetype(done + take - 1)].isHighSurrogate())
                    --take;
                if (take == 0) {
                    // The rest goes on in a CONTINUE record that starts with the option flags.
                    rec.Continue();
                    PutU8(stream, compressed ? 0 : 1);
                    continue;
                }
                PutUnits(stream, s.constData() + done, take, compressed);
                done += take;
            }
        }
    }
    size_t at = BeginRecord(stream, rtEXTSST);
    PutU16(stream, uint16_t(perBucket));
    for (const Bucket& b : buckets) {
        PutU32(stream, b.streamPos);
        PutU16(stream, b.recordOffset);
        PutU16(stream, 0);
    }
    EndRecord(stream, at);
}
