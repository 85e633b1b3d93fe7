#include "TextUtil.h"

#include <gtest/gtest.h>

namespace vpc::data {
namespace {

TEST(TextUtil, TimeStampFormatPadsEveryField) {
    EXPECT_EQ(FormatTimeStamp(2024, 3, 5, 9, 5, 3, 7), "2024_03_05_09_05_03_007");
    EXPECT_EQ(FormatTimeStamp(2024, 3, 5, 14, 7, 9, 42), "2024_03_05_14_07_09_042");
}

TEST(TextUtil, TimeStampOfNowHasTheFixedShape) {
    const std::string stamp = MakeTimeStamp();
    ASSERT_EQ(stamp.size(), 23u) << stamp;
    for (const std::size_t i : {4u, 7u, 10u, 13u, 16u, 19u})
        EXPECT_EQ(stamp[i], '_') << stamp;
}

TEST(TextUtil, Hex8IsUpperCaseAndPadded) {
    EXPECT_EQ(ToHex8(0), "00000000");
    EXPECT_EQ(ToHex8(0xFFFFFFFF), "FFFFFFFF");
    EXPECT_EQ(ToHex8(0x00ab12ef), "00AB12EF");
}

TEST(TextUtil, ParseHex32AcceptsOnlyHexOfAtMostEightDigits) {
    struct Case {
        const char* text;
        bool ok;
        std::uint32_t value;
    };
    const Case cases[] = {{"FF00FF00", true, 0xFF00FF00},
                          {"0x1a", true, 0x1A},
                          {"ffffffff", true, 0xFFFFFFFF},
                          {"", false, 0},
                          {"123456789", false, 0},
                          {"12G", false, 0},
                          {"-1", false, 0},
                          {" 12", false, 0}};
    for (const Case& c : cases) {
        std::uint32_t value = 0;
        EXPECT_EQ(ParseHex32(c.text, value), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(TextUtil, SplitNameNumberTable) {
    struct Case {
        const char* name;
        bool ok;
        const char* prefix;
        int number;
    };
    const Case cases[] = {
        {"DPI_slider_3", true, "DPI_slider_", 3},
        {"color_option_19", true, "color_option_", 19},
        {"key_0", true, "key_", 0},
        {"noseparator", false, "", 0},
        {"light_", false, "", 0},                 // nothing after the last "_"
        {"light_combo_modeSelect", false, "", 0}, // not a number
        {"key_99999999999", false, "", 0},        // does not fit
        {"key_12a", false, "", 0},
    };
    for (const Case& c : cases) {
        const NameNumber split = SplitNameNumber(c.name);
        EXPECT_EQ(split.ok, c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(split.prefix, c.prefix) << c.name;
            EXPECT_EQ(split.number, c.number) << c.name;
        }
    }
}

TEST(TextUtil, IsBlank) {
    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank(" \t\r\n"));
    EXPECT_FALSE(IsBlank(" a "));
}

TEST(TextUtil, Utf8AndWideRoundTrip) {
    const std::string text = "profile \xE9\x85\x8D\xE7\xBD\xAE \xF0\x9F\x8E\xAE"; // CJK + emoji
    EXPECT_EQ(WideToUtf8(Utf8ToWide(text)), text);
    EXPECT_EQ(Utf8ToWide("\xE4\xB8\xAD").size(), 1u);
}

TEST(TextUtil, InvalidUtf8BecomesReplacementCharacters) {
    // A lone continuation byte, an overlong form, a surrogate and a cut sequence.
    for (const std::string bad : {"\x80", "\xC0\xAF", "\xED\xA0\x80", "\xE4\xB8"}) {
        const std::wstring wide = Utf8ToWide(bad);
        ASSERT_FALSE(wide.empty());
        for (const wchar_t c : wide)
            EXPECT_EQ(c, L'\xFFFD');
    }
}

TEST(TextUtil, RemoveCharAndFileTitle) {
    std::string text = "a-b-c";
    RemoveChar(text, '-');
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(FileTitle("/x/y/2024_03_05.Json"), "2024_03_05");
}

TEST(TextUtil, StepValueWrapsAtTheLimit) {
    EXPECT_EQ(StepValue(true, 10, 4, 5), 9);
    EXPECT_EQ(StepValue(true, 10, 5, 5), 0);
    EXPECT_EQ(StepValue(false, 10, 5, 5), 0);
    EXPECT_EQ(StepValue(false, 10, 4, 5), 5); // 4 - 5 wraps to 255: limit - step
}

} // namespace
} // namespace vpc::data
