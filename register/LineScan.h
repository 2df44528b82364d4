// The database text's lines and the separators of each, found 64 bytes at a time: bit masks
// of the carets, the line feeds and the bytes that can start a two-byte character
// (0x81-0xFE). A "^^" starts on a character boundary unless an odd run of such bytes ends
// right before it: that run's last byte is then a lead byte whose character takes the first
// caret as its second byte (GbCharLength's rule; a line feed is never part of a character).
// Both rules read runs in pairs from their start (such bytes in pairs of a character; carets
// on a boundary in pairs of a separator), which a subtraction finds for a whole block at once.
#pragma once

#include <cstddef>
#include <cstdint>

struct ScannedLine {
    static constexpr int kMaxSeparators = 12;
    const char* begin = nullptr;
    const char* end = nullptr; // before the line's CR LF, LF or the end of the text
    int separators = 0;        // the leftmost ones, read by characters, at most 12
    const char* separator[kMaxSeparators] = {};
};

// Scans a text that may still be arriving: lines are given once their line end (or the end
// of the whole text) is there.
class LineScan {
public:
    explicit LineScan(const char* data);

    // The text now holds `size` bytes; `last` when it is complete.
    void Grow(size_t size, bool last);
    // The next whole line, or null when the text so far holds none. A last line without a
    // line end counts once the text is complete. The line lives until the next call.
    const ScannedLine* Next();
    // Where the line that is not yet whole begins.
    size_t Pending() const { return lineStart_; }

private:
    void LoadBlock();
    const ScannedLine* EndLine(size_t end, size_t next);

    const char* data_;
    size_t size_ = 0;
    bool last_ = false;
    size_t block_ = 0; // offset of the block in the masks
    bool loaded_ = false;
    size_t lineStart_ = 0; // offset of the line being scanned
    ScannedLine line_;
    uint64_t events_ = 0; // separators and line feeds of the block not yet taken
    uint64_t lineFeeds_ = 0;
    // Whether the block's first byte is the second of a pair begun in the block before: of a
    // character, of a separator.
    uint64_t leadCarry_ = 0;
    uint64_t caretCarry_ = 0;
};
