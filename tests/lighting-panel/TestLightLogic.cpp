// The lighting logic without a device: mode layouts by device kind, colour components typed into
// a box, the record words, and the write throttle.
#include "DeviceTypes.h"
#include "LightModeLayout.h"
#include "LightRecordWords.h"
#include "LightWriteThrottle.h"

#include <QTest>
#include <gtest/gtest.h>

namespace vpc::panels {
namespace {

constexpr GroupState On = GroupState::On;
constexpr GroupState Off = GroupState::Off;
constexpr GroupState Keep = GroupState::Keep;

struct LayoutCase {
    int kind;
    int mode;
    const char* columns; // E 7 C P L S F A: '1' on, '0' off, '-' kept
    GroupState speedShown;
    GroupState customShown;
    GroupState zzccShown;
    int tabPage;
};

class ModeLayoutTable : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(ModeLayoutTable, GroupsFollowTheModeAndKind) {
    const LayoutCase& c = GetParam();
    const ModeLayout layout = ModeLayoutFor(c.kind, c.mode, false);
    for (int i = 0; i < kModeGroupCount; ++i) {
        const char want = c.columns[i];
        const GroupState expected = want == '1' ? On : want == '0' ? Off : Keep;
        EXPECT_EQ(layout.enabled[static_cast<std::size_t>(i)], expected)
            << "kind " << c.kind << " mode " << c.mode << " group " << kModeGroupNames[i];
    }
    EXPECT_EQ(layout.speedShown, c.speedShown);
    EXPECT_EQ(layout.customShown, c.customShown);
    EXPECT_EQ(layout.zzccShown, c.zzccShown);
    EXPECT_EQ(layout.colorTabPage, c.tabPage);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ModeLayoutTable,
                         ::testing::Values(
                             // keyboard: F and A enabled first, then the row
                             LayoutCase{kKeyboardType, 1, "11111111", On, Off, Off, 0},
                             LayoutCase{kKeyboardType, 4, "10001100", On, Off, Off, 0},
                             LayoutCase{kKeyboardType, 6, "11111001", On, Off, Off, 0},
                             LayoutCase{kKeyboardType, 17, "10001100", Off, Off, On, 0},
                             LayoutCase{kKeyboardType, 19, "10111001", Off, On, Off, 0},
                             LayoutCase{kKeyboardType, 21, "11111011", Off, Off, Off, 1},
                             LayoutCase{kKeyboardType, 28, "10000001", On, Off, Off, 0},
                             LayoutCase{kKeyboardType, 31, "10001000", On, Off, Off, 0},
                             LayoutCase{kKeyboardType, 20, "10000001", On, Off, Off, 0},
                             LayoutCase{kKeyboardType, 200, "10000001", On, Off, Off, 0},
                             // mouse: A untouched
                             LayoutCase{kMouseType, 3, "1011100-", On, Keep, Keep, 0},
                             LayoutCase{kMouseType, 11, "1111101-", Off, Keep, Keep, 1},
                             LayoutCase{kMouseType, 42, "1000000-", On, Keep, Keep, 0},
                             // mouse pad and headset
                             LayoutCase{kMousePadType, 0, "1111111-", Keep, Keep, Keep, -1},
                             LayoutCase{kHeadsetType, 3, "1011100-", Keep, Keep, Keep, -1},
                             // unknown kind: nothing changes
                             LayoutCase{0, 4, "--------", Keep, Keep, Keep, -1}));

TEST(ModeLayout, SameModeButtonOnlyWhereOfferedAndAllowed) {
    for (int mode = 0; mode < 40; ++mode) {
        const bool offered = mode == 4 || mode == 5 || mode == 6 || mode == 23 || mode == 28;
        EXPECT_EQ(ModeLayoutFor(kKeyboardType, mode, false).sameModeShown, Off) << mode;
        EXPECT_EQ(ModeLayoutFor(kKeyboardType, mode, true).sameModeShown, offered ? On : Off)
            << mode;
    }
}

TEST(ModeLayout, DirectionTextsByMode) {
    EXPECT_STREQ(ModeLayoutFor(kKeyboardType, 1, false).fxlText, "light_set_right_to_left_text");
    EXPECT_STREQ(ModeLayoutFor(kKeyboardType, 24, false).fxrText, "light_set_anticlockwise_text");
    EXPECT_STREQ(ModeLayoutFor(kKeyboardType, 18, false).fxlText,
                 "light_set_inside_to_outside_text");
    EXPECT_STREQ(ModeLayoutFor(kMouseType, 0, false).fxlText, "light_set_down_to_up_text");
}

TEST(ColorComponent, HeldToTheByteFromBothSides) {
    const struct {
        const char* typed;
        int value;
        const char* shown;
    } cases[] = {{"128", 128, "128"}, {"300", 255, "255"}, {"-5", 0, "0"},
                 {"", 0, "0"},        {"abc", 0, "0"},     {" 42", 42, "42"},
                 {"12abc", 12, "12"}, {"+7", 7, "7"},      {"99999999999999999999", 255, "255"},
                 {"0255", 255, "255"}};
    for (const auto& c : cases) {
        const ColorComponent read = ReadColorComponent(QString::fromLatin1(c.typed));
        EXPECT_EQ(read.value, c.value) << c.typed;
        EXPECT_EQ(read.shown, QString::fromLatin1(c.shown)) << c.typed;
    }
}

TEST(LightWords, RoundTripAndColour) {
    data::LightInfo info{19, 3, 2, 1, 1, 0x12, 0x34, 0x56, 2, 5, 7};
    const LightWords words = ToLightWords(info);
    EXPECT_EQ(words[0], 0x01020313u);
    EXPECT_EQ(words[1], 0x56341201u);
    EXPECT_EQ(words[2], 0x02000000u);
    EXPECT_EQ(words[3], 0x0705u);
    EXPECT_EQ(FromLightWords(words), info);
    EXPECT_EQ(RecordColor(info), 0xFF123456u);
    SetRecordColor(info, 0xFFABCDEFu);
    EXPECT_EQ(info.red, 0xAB);
    EXPECT_EQ(info.green, 0xCD);
    EXPECT_EQ(info.blue, 0xEF);
}

TEST(LightWriteThrottle, BurstBecomesLeadingAndTrailingWrite) {
    int writes = 0;
    CLightWriteThrottle throttle([&] { ++writes; });
    throttle.Request();
    EXPECT_EQ(writes, 1); // the first change is written at once
    for (int i = 0; i < 25; ++i)
        throttle.Request();
    EXPECT_EQ(writes, 1);
    EXPECT_TRUE(throttle.HasPending());
    ASSERT_TRUE(QTest::qWaitFor([&] { return writes == 2; }, 2000));
    EXPECT_FALSE(throttle.HasPending());
    // the window after the trailing write passes without another write
    QTest::qWait(3 * CLightWriteThrottle::kWindowMs);
    EXPECT_EQ(writes, 2);
    throttle.Request(); // a quiet window later: at once again
    EXPECT_EQ(writes, 3);
}

TEST(LightWriteThrottle, FlushWritesAGatheredChangeNow) {
    int writes = 0;
    CLightWriteThrottle throttle([&] { ++writes; });
    throttle.Flush();
    EXPECT_EQ(writes, 0); // nothing gathered, nothing written
    throttle.Request();
    throttle.Request();
    throttle.Flush();
    EXPECT_EQ(writes, 2);
    EXPECT_FALSE(throttle.HasPending());
}

} // namespace
} // namespace vpc::panels
