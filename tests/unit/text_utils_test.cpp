#include "profile/text_utils.h"

#include <gtest/gtest.h>

#include <string>

namespace halvorn {
namespace {

TEST(SplitNameIndex, SplitsAtTheLastUnderscoreOrLeavesOutputsAlone) {
    struct Case {
        const char* name;
        bool ok;
        const char* prefix;
        int number;
    };
    const Case cases[] = {
        {"key_12", true, "key_", 12}, {"DPI_slider_3", true, "DPI_slider_", 3},
        {"key_0", true, "key_", 0},   {"_7", true, "_", 7},
        {"key_007", true, "key_", 7}, {"key_2147483647", true, "key_", 2147483647},
        {"key", false, "", 0},        {"key_", false, "", 0},
        {"key_12x", false, "", 0},    {"key_-1", false, "", 0},
        {"key_ 1", false, "", 0},     {"key_2147483648", false, "", 0},
        {"key_1_a", false, "", 0},    {"", false, "", 0},
    };
    for (const Case& c : cases) {
        std::string prefix = "untouched";
        int number = -99;
        EXPECT_EQ(SplitNameIndex(c.name, prefix, number), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(prefix, c.prefix) << c.name;
            EXPECT_EQ(number, c.number) << c.name;
        } else {
            EXPECT_EQ(prefix, "untouched") << c.name;
            EXPECT_EQ(number, -99) << c.name;
        }
    }
}

TEST(HexText32, EightUpperCaseDigitsMostSignificantFirst) {
    EXPECT_EQ(HexText32(0), "00000000");
    EXPECT_EQ(HexText32(0xFF10A0), "00FF10A0");
    EXPECT_EQ(HexText32(0xDEADBEEF), "DEADBEEF");
    EXPECT_EQ(HexText32(0xFFFFFFFF), "FFFFFFFF");
}

TEST(Utf8ToUtf16, ValidTextConvertsAndInvalidSequencesBecomeReplacementCharacters) {
    struct Case {
        std::string utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"", u""},
        {"Profile 1", u"Profile 1"},
        {"\xC3\xA9t\xC3\xA9", u"\u00E9t\u00E9"},
        {"\xE4\xB8\xAD\xE6\x96\x87", u"\u4E2D\u6587"},
        {"\xF0\x9F\x8E\xAE", u"\U0001F3AE"},  // outside the BMP: a surrogate pair
        {"a\x80"
         "b",
         u"a\uFFFDb"},        // stray continuation byte
        {"\xC3", u"\uFFFD"},  // truncated at the end
        {"\xE4\xB8"
         "x",
         u"\uFFFDx"},                                       // truncated before an ASCII byte
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                      // overlong "/"
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},            // overlong three-byte form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
        {"\xFF\xFE", u"\uFFFD\uFFFD"},
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},  // NUL is a character
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
        // Sanitising gives the UTF-8 of the same characters.
        EXPECT_EQ(SanitizeUtf8(c.utf8), Utf16ToUtf8(c.utf16)) << c.utf8;
    }
}

TEST(Utf16ToUtf8, RoundTripsValidTextAndReplacesLoneSurrogates) {
    const std::u16string text = u"Gr\u00FC\u00DFe \u4E2D \U0001F3AE";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDC00), u'a'}),
              "\xEF\xBF\xBD"
              "a");
    EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xD83C), u'x'}),
              "\xEF\xBF\xBD"
              "x");
    // Valid UTF-8 passes SanitizeUtf8 unchanged, replacement characters included.
    const std::string valid = "ok \xEF\xBF\xBD \xF0\x9F\x8E\xAE";
    EXPECT_EQ(SanitizeUtf8(valid), valid);
}

}  // namespace
}  // namespace halvorn
