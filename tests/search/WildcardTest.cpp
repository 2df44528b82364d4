#include "search/Wildcard.h"
#include "platform/text/GbText.h"

#include <gtest/gtest.h>

TEST(Wildcard, StarQuestionMarkAndCase) {
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_TRUE(WildcardMatch("A*B", "AXYZB"));
    EXPECT_TRUE(WildcardMatch("a*b", "AB"));
    EXPECT_FALSE(WildcardMatch("A*B", "AXYZBC"));
    EXPECT_TRUE(WildcardMatch("*AB*AB", "XABYABAB"));
    EXPECT_TRUE(WildcardMatch("R?VB", "RMVB"));
    EXPECT_FALSE(WildcardMatch("R?VB", "RVB"));
    EXPECT_FALSE(WildcardMatch("", "A"));
    // "?" is one character, also a Chinese one of two bytes; the trail byte of 中 (0xD0)
    // is not a letter, but that of 鏁 is 'a'..'z' range and must not fold.
    EXPECT_TRUE(WildcardMatch(Utf8ToGb("?文"), Utf8ToGb("中文")));
    EXPECT_FALSE(WildcardMatch(Utf8ToGb("???"), Utf8ToGb("中文")));
    std::string a = "\x81\x61", b = "\x81\x41"; // two GB characters that differ in case of
                                                // their trail byte only: not the same
    EXPECT_FALSE(WildcardMatch(a, b));
}

TEST(Wildcard, FileTypePatternsMatchTheWholeExtension) {
    EXPECT_TRUE(MatchFilePattern("*.RMVB", "A.RMVB"));
    EXPECT_TRUE(MatchFilePattern("*.RMVB", "A.B.rmvb"));
    EXPECT_FALSE(MatchFilePattern("*.RMVB", "A.RMVB.PART"));
    EXPECT_FALSE(MatchFilePattern("*.AVI", "AVI"));
    EXPECT_FALSE(MatchFilePattern("*.AV", "A.AVI"));
    EXPECT_TRUE(MatchFilePattern("*.A*", "X.AVI"));
    EXPECT_FALSE(MatchFilePattern("*.A*", "X.AVI.MKV"));
    // An empty type: names without an extension.
    EXPECT_TRUE(MatchFilePattern("*.", "README"));
    EXPECT_FALSE(MatchFilePattern("*.", "README.TXT"));
    EXPECT_EQ(ExtensionOf("A.B.C"), "C");
    EXPECT_EQ(ExtensionOf("ABC"), "");
}
