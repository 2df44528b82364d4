// The text conversions and the upper-case rule on any bytes: conversions always give valid
// UTF-8, valid text round-trips, the two GB18030 decoders (iconv for bytes, Qt for the
// screen) agree, and UpperCase changes nothing but the letters a-z that start a character.
#include "FuzzSupport.h"

#include "platform/text/GbText.h"

#include <QStringDecoder>

namespace {

std::string AsciiUpper(std::string text) {
    for (char& ch : text)
        if (ch >= 'a' && ch <= 'z') ch = char(ch - 'a' + 'A');
    return text;
}

// U+E000..U+F8FF, in UTF-8 EE 80 80 .. EF A3 BF.
bool HasPrivateUse(std::string_view utf8) {
    for (size_t i = 0; i + 2 < utf8.size(); ++i) {
        unsigned char a = utf8[i], b = utf8[i + 1];
        if (a == 0xEE || (a == 0xEF && b <= 0xA3)) return true;
    }
    return false;
}

bool QtSaysUtf8(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return !utf8.hasError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Character steps never run past the end and always move on.
    for (size_t i = 0; i < bytes.size();) {
        size_t len = GbCharLength(bytes, i);
        FUZZ_CHECK(len == 1 || len == 2 || len == 4);
        FUZZ_CHECK(i + len <= bytes.size());
        i += len;
    }

    std::string upper = UpperCase(bytes);
    FUZZ_CHECK(upper.size() == bytes.size());
    FUZZ_CHECK(UpperCase(upper) == upper);
    for (size_t i = 0; i < bytes.size(); ++i)
        if (upper[i] != bytes[i])
            FUZZ_CHECK(bytes[i] >= 'a' && bytes[i] <= 'z' && upper[i] == bytes[i] - 32);

    std::string_view trimmed = Trim(bytes);
    FUZZ_CHECK(trimmed.empty() || (static_cast<unsigned char>(trimmed.front()) > 32 &&
                                   static_cast<unsigned char>(trimmed.back()) > 32));

    std::string utf8 = GbToUtf8(bytes);
    FUZZ_CHECK(IsValidUtf8(utf8));
    bool validGb = Utf8ToGb(utf8) == bytes;
    if (validGb) {
        // The trail byte of a two-byte character may be a-z; only real letters change.
        FUZZ_CHECK(GbToUtf8(upper) == AsciiUpper(utf8));
        FUZZ_CHECK(GbToQString(bytes).toStdString() == utf8);
        FUZZ_CHECK(QStringToGb(GbToQString(bytes)) == std::string(bytes));
    }

    FUZZ_CHECK(IsValidUtf8(bytes) == QtSaysUtf8(bytes));
    if (IsValidUtf8(bytes)) {
        std::string gb = Utf8ToGb(bytes);
        // glibc maps some private-use code points to GB18030 codes that it reads back as the
        // standard characters those codes now stand for; everything else round-trips.
        if (!HasPrivateUse(bytes)) FUZZ_CHECK(GbToUtf8(gb) == bytes);
        FUZZ_CHECK(QStringToGb(QString::fromUtf8(bytes.data(), qsizetype(bytes.size()))) == gb);
    }
    return 0;
}
