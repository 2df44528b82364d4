#include "register/LineScan.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr size_t kBlock = 64;

struct Masks {
    uint64_t carets = 0, lineFeeds = 0, leads = 0;
};

#if defined(__SSE2__)
Masks Classify(const char* p) {
    Masks m;
    const __m128i caret = _mm_set1_epi8('^'), lf = _mm_set1_epi8('\n');
    const __m128i above80 = _mm_set1_epi8(char(0x80)), belowFF = _mm_set1_epi8(char(0xFF));
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const auto bits = [&](__m128i eq) {
            return uint64_t(uint32_t(_mm_movemask_epi8(eq))) << (16 * i);
        };
        m.carets |= bits(_mm_cmpeq_epi8(v, caret));
        m.lineFeeds |= bits(_mm_cmpeq_epi8(v, lf));
        // Signed: 0x81-0xFE are the bytes above 0x80 (-128) and below 0xFF (-1).
        m.leads |= bits(_mm_and_si128(_mm_cmpgt_epi8(v, above80), _mm_cmplt_epi8(v, belowFF)));
    }
    return m;
}
#else
Masks Classify(const char* p) {
    Masks m;
    for (size_t i = 0; i < kBlock; ++i) {
        const unsigned char c = static_cast<unsigned char>(p[i]);
        m.carets |= uint64_t(c == '^') << i;
        m.lineFeeds |= uint64_t(c == '\n') << i;
        m.leads |= uint64_t(c >= 0x81 && c <= 0xFE) << i;
    }
    return m;
}
#endif

// Reading the runs of set bits of `run` in pairs from each run's start, the bits that start a
// pair (the second of the pair being the next byte, set or not). `carry` says whether bit 0
// is the second of a pair begun before, and becomes the same for the next block. The
// subtraction turns the bits of each run that starts on an even bit, the xor then picks
// every second bit from the run's start (the carry-based method of JSON scanners for runs
// of backslashes).
uint64_t PairStarts(uint64_t run, uint64_t& carry) {
    constexpr uint64_t kOddBits = 0xAAAAAAAAAAAAAAAA;
    const uint64_t potential = run & ~carry;
    const uint64_t starts = (((potential << 1 | kOddBits) - potential) ^ kOddBits) & run;
    carry = starts >> 63;
    return starts;
}

} // namespace

LineScan::LineScan(const char* data) : data_(data) {
    line_.begin = data_;
}

void LineScan::Grow(size_t size, bool last) {
    size_ = size;
    last_ = last;
}

void LineScan::LoadBlock() {
    Masks m;
    if (block_ + kBlock <= size_) {
        m = Classify(data_ + block_);
    } else {
        char tail[kBlock] = {};
        std::memcpy(tail, data_ + block_, size_ - block_);
        m = Classify(tail);
    }
    const uint64_t nextCaret = block_ + kBlock < size_ && data_[block_ + kBlock] == '^';
    // A caret right after a lead byte is the second byte of its character.
    const uint64_t trailFirst = leadCarry_;
    const uint64_t trails = PairStarts(m.leads, leadCarry_) << 1 | trailFirst;
    const uint64_t separators =
        PairStarts(m.carets & ~trails, caretCarry_) & (m.carets >> 1 | nextCaret << 63);
    events_ = separators | m.lineFeeds;
    lineFeeds_ = m.lineFeeds;
}

const ScannedLine* LineScan::EndLine(size_t end, size_t next) {
    // A CR is the line end's only before a LF: a last line's bare CR is the cell's.
    if (next > end && end > lineStart_ && data_[end - 1] == '\r') --end;
    line_.end = data_ + end;
    lineStart_ = next;
    return &line_;
}

const ScannedLine* LineScan::Next() {
    if (line_.end) { // the line given last time is done with
        line_.begin = data_ + lineStart_;
        line_.end = nullptr;
        line_.separators = 0;
    }
    for (;;) {
        if (!loaded_) {
            if (block_ >= size_) // everything so far is scanned
                return last_ && lineStart_ < size_ ? EndLine(size_, size_) : nullptr;
            // The block and the byte after it must be there, unless the text is complete.
            if (!last_ && block_ + kBlock >= size_) return nullptr;
            LoadBlock();
            loaded_ = true;
        }
        while (events_) {
            const unsigned bit = unsigned(std::countr_zero(events_));
            events_ &= events_ - 1;
            const size_t at = block_ + bit;
            if (lineFeeds_ >> bit & 1) return EndLine(at, at + 1);
            if (line_.separators < ScannedLine::kMaxSeparators)
                line_.separator[line_.separators++] = data_ + at;
        }
        block_ += kBlock;
        loaded_ = false;
    }
}
