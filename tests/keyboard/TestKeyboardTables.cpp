// The keyboard's tables and records without a device: key codes, key maps with hostile key
// counts and LED numbers, the onboard record both ways, the key table image with macro
// renumbering, colour banks and sync codes.
#include "CustomColourBank.h"
#include "KeyTableImage.h"
#include "KeyboardKeyMaps.h"
#include "KeyboardTables.h"
#include "OnboardRecord.h"
#include "SyncCode.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace vpc::devices::keyboard {
namespace {

using data::KeyAssignment;
using data::KeyEntry;

// The simulated keypad's factory table: Esc, Fn, Backspace, Num Lock, /, *, -, 7, 8, 9, +,
// 4, 5, 6, 1, 2, 3, 0, ., Enter and a spare position.
constexpr std::array<std::uint8_t, 21> kKeypadUsages = {0x29, 0x00, 0x2A, 0x53, 0x54, 0x55, 0x56,
                                                        0x5F, 0x60, 0x61, 0x57, 0x5C, 0x5D, 0x5E,
                                                        0x59, 0x5A, 0x5B, 0x62, 0x63, 0x58, 0x00};

struct KeypadTables {
    std::array<std::uint8_t, kTableBufferSize> keys{};
    std::array<std::uint8_t, kTableBufferSize> leds{};
    KeypadTables() {
        for (std::size_t k = 0; k < kKeypadUsages.size(); ++k) {
            keys[k * 3] = 0x20;
            keys[k * 3 + 2] = kKeypadUsages[k];
            leds[k] = static_cast<std::uint8_t>(20 - k);
        }
        keys[3] = 0xA0; // Fn at position 1
        keys[4] = 0x01;
    }
};

TEST(KeyCodeTable, HoldsTheKeypadCodes) {
    const auto& t = KeyCodeTable();
    EXPECT_EQ(t[0], (KeyAssignment{0x20, 0x00, 0x29}));
    EXPECT_EQ(t[12], (KeyAssignment{0x20, 0x00, 0x45}));
    EXPECT_EQ(t[16], (KeyAssignment{0xA0, 0x1B, 0x00}));
    EXPECT_EQ(t[31], (KeyAssignment{0x20, 0x00, 0x27}));
    EXPECT_EQ(t[34], (KeyAssignment{0x20, 0x00, 0x2A}));
    EXPECT_EQ(t[38], (KeyAssignment{0x20, 0x00, 0x53}));
    EXPECT_EQ(t[83], (KeyAssignment{0x20, 0x00, 0x88}));
    EXPECT_EQ(t[84], (KeyAssignment{0x20, 0x02, 0x00}));
    EXPECT_EQ(t[103], (KeyAssignment{0x20, 0x00, 0x85}));
    EXPECT_EQ(t[110], (KeyAssignment{0xA0, 0x01, 0x00}));
    EXPECT_EQ(t[119], (KeyAssignment{0x20, 0x00, 0x57}));
    EXPECT_EQ(t[124], (KeyAssignment{0xD0, 0xA2, 0x05}));
    EXPECT_EQ(t[125], (KeyAssignment{0x20, 0x80, 0x00}));
    EXPECT_EQ(t[169], (KeyAssignment{0x20, 0x00, 0x00}));
}

TEST(BuildKeyMaps, FindsEveryKeypadKeyAndItsLed) {
    const KeypadTables tables;
    const KeyboardKeyMaps maps = BuildKeyMaps(tables.keys, tables.leds, 21);
    int mapped = 0;
    for (std::uint8_t slot : kKeypadKeyOrder) {
        if (slot == 170)
            continue;
        ++mapped;
        EXPECT_NE(maps.position[slot], kNoEntry) << int{slot};
        EXPECT_EQ(maps.led[slot], 20 - maps.position[slot]) << int{slot};
    }
    EXPECT_EQ(mapped, 20);
    EXPECT_EQ(maps.position[0], 0);
    EXPECT_EQ(maps.position[110], 1);
    EXPECT_EQ(maps.KeyAtPosition(1), 110);
    // keys without their own key share the spare position's 20 00 00
    for (int slot : {18, 19, 20, 104, 126, 169})
        EXPECT_EQ(maps.position[static_cast<std::size_t>(slot)], 20) << slot;
    EXPECT_EQ(maps.KeyAtPosition(20), 18);
    // keys the keypad does not have
    EXPECT_EQ(maps.position[64], kNoEntry);
    EXPECT_EQ(maps.led[64], kNoEntry);
}

TEST(BuildKeyMaps, RefusesKeyCountsOutsideTheTable) {
    const KeypadTables tables;
    for (int count : {0, -1, 171, 255}) {
        const KeyboardKeyMaps maps = BuildKeyMaps(tables.keys, tables.leds, count);
        for (std::size_t slot = 0; slot < kUiKeyCount; ++slot) {
            ASSERT_EQ(maps.position[slot], kNoEntry) << count;
            ASSERT_EQ(maps.led[slot], kNoEntry) << count;
        }
    }
    // tables shorter than the key count says
    const std::vector<std::uint8_t> shortTable(30, 0x20);
    const KeyboardKeyMaps maps = BuildKeyMaps(shortTable, tables.leds, 21);
    EXPECT_EQ(maps.position[0], kNoEntry);
}

TEST(BuildKeyMaps, TakesLedNumbersOnlyBelowTheKeyCount) {
    struct Case {
        std::uint8_t led;
        bool accepted;
    };
    for (const Case c : {Case{20, true}, Case{21, false}, Case{170, false}, Case{254, false},
                         Case{255, false}, Case{0, true}}) {
        KeypadTables tables;
        tables.leds[0] = c.led; // Esc
        const KeyboardKeyMaps maps = BuildKeyMaps(tables.keys, tables.leds, 21);
        EXPECT_EQ(maps.position[0], 0);
        EXPECT_EQ(maps.led[0], c.accepted ? c.led : kNoEntry) << int{c.led};
    }
    // with 170 keys the LED limit is 170 itself
    std::array<std::uint8_t, kTableBufferSize> keys{};
    std::array<std::uint8_t, kTableBufferSize> leds{};
    keys[0] = 0x20;
    keys[2] = 0x29;
    leds[0] = 169;
    EXPECT_EQ(BuildKeyMaps(keys, leds, 170).led[0], 169);
    leds[0] = 170;
    EXPECT_EQ(BuildKeyMaps(keys, leds, 170).led[0], kNoEntry);
}

TEST(OnboardRecord, EncodesTheProfileSettings) {
    data::LightInfo light;
    light.selectItem = 6;
    light.light = 3;
    light.speed = 0;
    light.fx = 1;
    light.multiColor = 1;
    light.red = 10;
    light.green = 20;
    light.blue = 30;
    light.zzccLedMode = 2;
    light.customGroup = 5;
    light.oldLedmode = 9;
    // repeat 30, delay 1, Key6 on, polling rate 3, W off, Win off
    data::KeyboardSystemStages system{30, 1, 1, 3, 0, 0};
    const OnboardRecordBytes r = EncodeOnboardRecord(light, system, 0);
    const std::array<std::uint8_t, 26> expected = {0, 6, 3, 4, 1, 1, 10, 20, 30, 0, 0, 0, 0,
                                                   0, 0, 0, 0, 0, 2, 0,  1,  0,  3, 0, 0, 5};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(r[i], expected[i]) << i;
    for (std::size_t i = expected.size(); i < r.size(); ++i)
        EXPECT_EQ(r[i], 0) << i;
}

TEST(OnboardRecord, EachFlagTravelsInItsOwnByte) {
    struct Case {
        std::uint16_t wFlag, key6Flag, winFlag;
    };
    for (const Case c : {Case{1, 0, 0}, Case{0, 1, 0}, Case{0, 0, 1}}) {
        SCOPED_TRACE(testing::Message()
                     << "W " << c.wFlag << " Key6 " << c.key6Flag << " Win " << c.winFlag);
        const data::KeyboardSystemStages system{30, 1, c.key6Flag, 2, c.wFlag, c.winFlag};
        const OnboardRecordBytes r = EncodeOnboardRecord({}, system, 0);
        EXPECT_EQ(r[19], c.wFlag);
        EXPECT_EQ(r[20], c.key6Flag);
        EXPECT_EQ(r[21], c.winFlag);
        EXPECT_EQ(r[22], 2);

        const OnboardState s = DecodeOnboardRecord(r, {});
        EXPECT_EQ(s.wFlag, c.wFlag);
        EXPECT_EQ(s.key6Flag, c.key6Flag);
        EXPECT_EQ(s.winFlag, c.winFlag);
    }
}

TEST(OnboardRecord, WritesHostModesAsZeroAndHoldsLevels) {
    struct Case {
        std::uint8_t mode, light, speed;
        std::uint8_t byte1, byte2, byte3;
    };
    for (const Case c : {Case{30, 4, 4, 30, 4, 0}, Case{31, 2, 2, 0, 2, 2},
                         Case{200, 9, 9, 0, 4, 0}, Case{19, 0, 0, 19, 0, 4}}) {
        data::LightInfo light;
        light.selectItem = c.mode;
        light.light = c.light;
        light.speed = c.speed;
        const OnboardRecordBytes r = EncodeOnboardRecord(light, {}, 7);
        EXPECT_EQ(r[0], 7);
        EXPECT_EQ(r[1], c.byte1) << int{c.mode};
        EXPECT_EQ(r[2], c.byte2) << int{c.light};
        EXPECT_EQ(r[3], c.byte3) << int{c.speed};
    }
}

TEST(OnboardRecord, DecodesWithTheModeValueListAndClamps) {
    OnboardRecordBytes r{};
    r[1] = 40; // a device value
    r[2] = 200;
    r[3] = 9; // 4 - 9 is below 0
    r[4] = 1;
    r[5] = 1;
    r[6] = 1;
    r[7] = 2;
    r[8] = 3;
    r[18] = 4;
    r[19] = 0;
    r[20] = 1;
    r[21] = 0;
    const std::vector<int> values = {0, 10, 40, 40};
    OnboardState s = DecodeOnboardRecord(r, values);
    EXPECT_EQ(s.light.selectItem, 2); // first position with that value
    EXPECT_EQ(s.light.light, 4);
    EXPECT_EQ(s.light.speed, 0);
    EXPECT_EQ(s.light.fx, 1);
    EXPECT_EQ(s.light.multiColor, 1);
    EXPECT_EQ((std::array{s.light.red, s.light.green, s.light.blue}),
              (std::array<std::uint8_t, 3>{1, 2, 3}));
    EXPECT_EQ(s.light.zzccLedMode, 4);
    EXPECT_EQ(s.wFlag, 0);
    EXPECT_EQ(s.key6Flag, 1);
    EXPECT_EQ(s.winFlag, 0);

    r[1] = 77; // in no list: kept as read
    r[3] = 4;
    s = DecodeOnboardRecord(r, values);
    EXPECT_EQ(s.light.selectItem, 77);
    EXPECT_EQ(s.light.speed, 0);
    r[3] = 0;
    EXPECT_EQ(DecodeOnboardRecord(r, values).light.speed, 4);
    r[3] = 255;
    EXPECT_EQ(DecodeOnboardRecord(r, {}).light.speed, 0);
}

KeyEntry Entry(std::uint16_t slot, KeyAssignment current) {
    return KeyEntry::Make(slot, current, KeyCodeTable()[slot]);
}

TEST(KeyTableImage, RenumbersMacrosInOrderOfFirstUse) {
    const KeypadTables tables;
    const KeyboardKeyMaps maps = BuildKeyMaps(tables.keys, tables.leds, 21);
    std::vector<KeyEntry> keys = PadKeyList({});
    keys[38] = Entry(38, {0x70, 4, 1});     // Num Lock: macro 4
    keys[59] = Entry(59, {0x71, 2, 3});     // 7: macro 2, three times
    keys[60] = Entry(60, {0x70, 4, 0});     // 8: macro 4 again
    keys[61] = Entry(61, {0x70, 5, 0});     // 9: macro 5 does not exist
    keys[64] = Entry(64, {0x70, 1, 0});     // a key the keypad does not have
    keys[0] = Entry(0, {0x20, 0x00, 0x04}); // Esc: A
    const KeyTableImage image = BuildKeyTableImage(tables.keys, 21, maps, keys, 5);
    ASSERT_EQ(image.bytes.size(), 63u);
    EXPECT_EQ(image.macroOrder, (std::vector<int>{4, 2}));
    const auto at = [&](int slot) {
        const std::size_t p = maps.position[static_cast<std::size_t>(slot)];
        return std::array{image.bytes[p * 3], image.bytes[p * 3 + 1], image.bytes[p * 3 + 2]};
    };
    EXPECT_EQ(at(38), (std::array<std::uint8_t, 3>{0x70, 0, 1}));
    EXPECT_EQ(at(59), (std::array<std::uint8_t, 3>{0x71, 1, 3}));
    EXPECT_EQ(at(60), (std::array<std::uint8_t, 3>{0x70, 0, 0}));
    EXPECT_EQ(at(61), (std::array<std::uint8_t, 3>{0x20, 0x00, 0x61})); // its default
    EXPECT_EQ(at(0), (std::array<std::uint8_t, 3>{0x20, 0x00, 0x04}));
    EXPECT_EQ(at(110), (std::array<std::uint8_t, 3>{0xA0, 0x01, 0x00}));
    EXPECT_EQ(UsedMacros(maps, keys, 5), (std::vector<int>{4, 2}));
    // the caller's list is untouched
    EXPECT_EQ(keys[38].current.assignment.code1, 4);

    std::vector<KeyEntry> stale = keys;
    EXPECT_TRUE(ResetStaleMacroKeys(stale, 5));
    EXPECT_EQ(stale[61].current.assignment, KeyCodeTable()[61]);
    EXPECT_EQ(stale[38].current.assignment.code1, 4);
    EXPECT_FALSE(ResetStaleMacroKeys(stale, 5));
}

TEST(KeyTableImage, PadsShortListsWithEachSlotsDefault) {
    const std::vector<KeyEntry> three = {Entry(0, {0x20, 0, 0x04}), Entry(1, {0x20, 0, 0x05}),
                                         Entry(2, {0x20, 0, 0x06})};
    const std::vector<KeyEntry> padded = PadKeyList(three);
    ASSERT_EQ(padded.size(), kUiKeyCount);
    EXPECT_EQ(padded[0].current.assignment, (KeyAssignment{0x20, 0, 0x04}));
    for (std::size_t i = 3; i < kUiKeyCount; ++i) {
        ASSERT_EQ(padded[i].current.assignment, KeyCodeTable()[i]) << i;
        ASSERT_EQ(padded[i].defaults.assignment, KeyCodeTable()[i]) << i;
        ASSERT_EQ(padded[i].current.slot, i);
    }
    // a list longer than the slots loses its tail
    EXPECT_EQ(PadKeyList(std::vector<KeyEntry>(300)).size(), kUiKeyCount);

    // the image of a short list writes the defaults of the missing slots
    const KeypadTables tables;
    const KeyboardKeyMaps maps = BuildKeyMaps(tables.keys, tables.leds, 21);
    const KeyTableImage image = BuildKeyTableImage(tables.keys, 21, maps, three, 0);
    EXPECT_EQ(image.bytes[0], 0x20);
    EXPECT_EQ(image.bytes[2], 0x04); // Esc became A
    EXPECT_EQ(image.bytes[3], 0xA0); // Fn kept its own code
    EXPECT_EQ(image.bytes[5], 0x00);
}

TEST(ColourBank, ScalesForGroupWritesOnly) {
    const KeypadTables tables;
    const KeyboardKeyMaps maps = BuildKeyMaps(tables.keys, tables.leds, 21);
    std::array<lighting::LedColor, kUiKeyCount> lights{};
    lights[0] = {200, 100, 50, 128};   // Esc, LED 20
    lights[64] = {255, 255, 255, 255}; // no LED on the keypad
    const auto scaled = BuildColourBank(lights, maps, 21, ColourScaling::ByBrightness);
    const auto plain = BuildColourBank(lights, maps, 21, ColourScaling::None);
    ASSERT_EQ(scaled.size(), 63u);
    ASSERT_EQ(plain.size(), 63u);
    EXPECT_EQ((std::array{scaled[60], scaled[61], scaled[62]}),
              (std::array<std::uint8_t, 3>{100, 50, 25}));
    EXPECT_EQ((std::array{plain[60], plain[61], plain[62]}),
              (std::array<std::uint8_t, 3>{200, 100, 50}));
    for (std::size_t i = 0; i < 60; ++i)
        ASSERT_EQ(plain[i], 0) << i;
    EXPECT_TRUE(BuildColourBank(lights, maps, 0, ColourScaling::None).empty());
    EXPECT_TRUE(BuildColourBank(lights, maps, 171, ColourScaling::None).empty());
}

TEST(SyncCode, TellsRereadsSlotSwitchesAndNoise) {
    struct Case {
        std::uint16_t code;
        SyncAction action;
        bool reselect;
        std::uint8_t slot;
    };
    for (const Case c :
         {Case{1025, SyncAction::Reread, false, 0}, Case{1026, SyncAction::Reread, true, 0},
          Case{0x1003, SyncAction::SwitchSlot, false, 3},
          Case{0x1012, SyncAction::SwitchSlot, false, 2},
          Case{0x1100, SyncAction::SwitchSlot, false, 0},
          Case{0x11FF, SyncAction::SwitchSlot, false, 15}, Case{0x0FFF, SyncAction::None, false, 0},
          Case{0x1212, SyncAction::None, false, 0}, Case{1024, SyncAction::None, false, 0},
          Case{0, SyncAction::None, false, 0}}) {
        const SyncRequest r = ClassifySyncCode(c.code);
        EXPECT_EQ(r.action, c.action) << c.code;
        EXPECT_EQ(r.reselectProfile, c.reselect) << c.code;
        if (c.action == SyncAction::SwitchSlot) {
            EXPECT_EQ(r.slot, c.slot) << c.code;
        }
    }
}

} // namespace
} // namespace vpc::devices::keyboard
