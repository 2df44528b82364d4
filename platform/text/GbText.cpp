#include "platform/text/GbText.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace {

bool IsAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

// glibc iconv, measured faster than Qt's codec for the byte-to-byte conversions.
class Converter {
public:
    Converter(const char* to, const char* from, std::string_view replacement)
        : cd_(iconv_open(to, from)), replacement_(replacement) {}
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::string operator()(std::string_view in) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.resize(in.size() * 2 + 8);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size(), used = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            size_t dstLeft = out.size() - used;
            size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            int err = errno;
            used = out.size() - dstLeft;
            if (rc != size_t(-1)) break;
            if (err != E2BIG) { // an invalid or cut sequence: replace one byte and go on
                out.replace(used, replacement_.size(), replacement_);
                used += replacement_.size();
                ++src;
                --srcLeft;
            }
            if (out.size() - used < 16) out.resize(out.size() * 2 + 16);
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t cd_;
    std::string_view replacement_;
};

} // namespace

// The screen conversions go through the same iconv tables as the file-system ones: Qt's
// codec (ICU) maps some two-byte codes (FE51..FEA0, A6D9..) to other code points than glibc,
// so a name would show as another character than the one on disk, and a cell edited on
// screen would change its bytes.
QString GbToQString(std::string_view gb) {
    if (IsAscii(gb)) return QString::fromLatin1(gb.data(), qsizetype(gb.size()));
    std::string utf8 = GbToUtf8(gb);
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string QStringToGb(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    return Utf8ToGb(std::string_view(utf8.constData(), size_t(utf8.size())));
}

std::string GbToUtf8(std::string_view gb) {
    if (IsAscii(gb)) return std::string(gb);
    thread_local Converter convert("UTF-8", "GB18030", "\xEF\xBF\xBD");
    return convert(gb);
}

std::string Utf8ToGb(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    thread_local Converter convert("GB18030", "UTF-8", "?");
    return convert(utf8);
}

std::string DiskNameToGb(std::string_view diskName) {
    return IsValidUtf8(diskName) ? Utf8ToGb(diskName) : std::string(diskName);
}

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0, n = bytes.size();
    while (i < n) {
        unsigned char c = bytes[i];
        size_t len;
        unsigned min;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4, min = 0x10000;
        } else {
            return false;
        }
        if (i + len > n) return false;
        unsigned cp = c & (0xFF >> (len + 1));
        for (size_t k = 1; k < len; ++k) {
            unsigned char t = bytes[i + k];
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

size_t GbCharLength(std::string_view text, size_t i) {
    const auto in = [&](size_t k, unsigned lo, unsigned hi) {
        const unsigned char c = static_cast<unsigned char>(text[k]);
        return c >= lo && c <= hi;
    };
    if (!in(i, 0x81, 0xFE) || i + 1 >= text.size()) return 1;
    if (in(i + 1, 0x30, 0x39))
        return i + 3 < text.size() && in(i + 2, 0x81, 0xFE) && in(i + 3, 0x30, 0x39) ? 4 : 1;
    return in(i + 1, 0x40, 0x7E) || in(i + 1, 0x80, 0xFE) ? 2 : 1;
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (size_t i = 0; i < out.size();) {
        size_t len = GbCharLength(out, i);
        if (len == 1 && out[i] >= 'a' && out[i] <= 'z') out[i] = char(out[i] - 'a' + 'A');
        i += len;
    }
    return out;
}

std::string_view Trim(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= 32)
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32)
        --e;
    return text.substr(b, e - b);
}
