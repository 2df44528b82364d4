#include "platform/text/GbText.h"

#include <gtest/gtest.h>

namespace {
std::string Hex(std::string_view s) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s)
        out += {digits[c >> 4], digits[c & 15]};
    return out;
}
} // namespace

TEST(GbText, RoundTripsGbkAndCharactersOutsideGbk) {
    EXPECT_EQ(Hex(Utf8ToGb("生化危机")), "c9fabbafcea3bbfa");
    for (std::string s : {"生化危机", "ALIEN.avi", "乤乫 mixed 😀 𠀀", "", "a^^b"}) {
        EXPECT_EQ(GbToUtf8(Utf8ToGb(s)), s);
        EXPECT_EQ(QStringToGb(GbToQString(Utf8ToGb(s))), Utf8ToGb(s));
    }
    EXPECT_EQ(Hex(Utf8ToGb("😀")), "9439fc36"); // four-byte GB18030 sequence
    // Broken input never stops the conversion: each bad byte becomes one replacement.
    EXPECT_EQ(GbToUtf8("a\x81"), "a\xEF\xBF\xBD");
    EXPECT_EQ(GbToUtf8(std::string("\xFF", 1) + Utf8ToGb("片")), "\xEF\xBF\xBD片");
    EXPECT_EQ(Utf8ToGb("x\xE7"), "x?");
}

TEST(GbText, UpperCaseChangesOnlyAsciiLettersAndStepsOverTrailBytes) {
    // 乤 is 0x81 0x61 and 乫 is 0x81 0x66: their trail bytes are 'a' and 'f'.
    std::string gb = Utf8ToGb("x乤y乫z陈abc😀q");
    EXPECT_EQ(GbToUtf8(UpperCase(gb)), "X乤Y乫Z陈ABC😀Q");
    EXPECT_EQ(UpperCase("d:/movies/a.rmvb"), "D:/MOVIES/A.RMVB");
    // A lead byte at the very end is a stray byte and must not swallow anything or overrun.
    EXPECT_EQ(UpperCase(std::string("ab\x81", 3)), std::string("AB\x81", 3));
    EXPECT_EQ(UpperCase(std::string("\x81"
                                    "a",
                                    2)),
              std::string("\x81"
                          "a",
                          2));
}

TEST(GbText, TrimRemovesControlCharactersAndBlanksAtBothEnds) {
    EXPECT_EQ(Trim(" \t\r\n abc d \x01\x1f "), "abc d");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim(Utf8ToGb(" 生化 ")), Utf8ToGb("生化"));
}

TEST(GbText, ValidUtf8Detection) {
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_TRUE(IsValidUtf8("生化危机😀"));
    EXPECT_FALSE(IsValidUtf8(Utf8ToGb("生化危机")));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));     // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE7\x94"));     // cut short
}
