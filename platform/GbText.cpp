#include "platform/GbText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

bool IsAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

QStringDecoder& GbDecoder() {
    thread_local QStringDecoder decoder("GB18030", QStringConverter::Flag::Stateless);
    return decoder;
}

QStringEncoder& GbEncoder() {
    thread_local QStringEncoder encoder("GB18030", QStringConverter::Flag::Stateless);
    return encoder;
}

} // namespace

QString GbToQString(std::string_view gb) {
    if (IsAscii(gb)) return QString::fromLatin1(gb.data(), qsizetype(gb.size()));
    return GbDecoder().decode(QByteArrayView(gb.data(), qsizetype(gb.size())));
}

std::string QStringToGb(const QString& text) {
    QByteArray bytes = GbEncoder().encode(text);
    return std::string(bytes.constData(), size_t(bytes.size()));
}

std::string GbToUtf8(std::string_view gb) {
    if (IsAscii(gb)) return std::string(gb);
    QByteArray bytes = GbToQString(gb).toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

std::string Utf8ToGb(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    return QStringToGb(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
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
    unsigned char lead = text[i];
    if (lead < 0x81 || lead > 0xFE || i + 1 >= text.size()) return 1;
    unsigned char second = text[i + 1];
    if (second >= 0x30 && second <= 0x39) return i + 3 < text.size() ? 4 : 1;
    return 2;
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
