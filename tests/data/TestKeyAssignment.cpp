#include "KeyAssignment.h"
#include "KeyNames.h"

#include <gtest/gtest.h>

namespace vpc::data {
namespace {

TEST(KeyAssignment, CodeSplitsIntoTypeAndCodes) {
    const KeyAssignment a = KeyAssignment::FromCode(2097412);
    EXPECT_EQ(a.type, 0x20);  // keyboard key
    EXPECT_EQ(a.code1, 0x01); // left Ctrl
    EXPECT_EQ(a.code2, 0x04); // A
    EXPECT_EQ(a.ToCode(), 2097412u);
}

TEST(KeyAssignment, HigherBitsAreIgnored) {
    EXPECT_EQ(KeyAssignment::FromCode(0xFF200104u), KeyAssignment::FromCode(0x200104u));
}

TEST(KeyAssignment, MouseWheelDirectionOneStoresTwosComplement) {
    const KeyAssignment a = EncodeMouseWheel({2, 5, true, 3});
    EXPECT_EQ(a.type, assignment_type::kMouseWheel);
    EXPECT_EQ(a.code1, 0x25);
    EXPECT_EQ(a.code2, 0xFD);
    EXPECT_EQ(DecodeMouseWheel(a), (MouseMotion{2, 5, true, 3}));
    EXPECT_EQ(EncodeMouseWheel({0, 0, false, 3}).code2, 0x03);
}

TEST(KeyAssignment, MouseMoveDirectionIsBitSeven) {
    const KeyAssignment a = EncodeMouseMove({15, 1, true, 3});
    EXPECT_EQ(a.type, assignment_type::kMouseMove);
    EXPECT_EQ(a.code1, 0xF1);
    EXPECT_EQ(a.code2, 0x83);
    EXPECT_EQ(DecodeMouseMove(a), (MouseMotion{15, 1, true, 3}));
}

TEST(KeyAssignment, EveryWheelAndMoveValueRoundTrips) {
    for (int direction = 0; direction < 2; ++direction) {
        for (int distance = 0; distance < 128; ++distance) {
            const MouseMotion m{3, 7, direction == 1, static_cast<std::uint8_t>(distance)};
            EXPECT_EQ(DecodeMouseWheel(EncodeMouseWheel(m)), m) << direction << " " << distance;
            EXPECT_EQ(DecodeMouseMove(EncodeMouseMove(m)), m) << direction << " " << distance;
        }
    }
}

TEST(KeyEntry, WordsCarryTheTwelveBytesLittleEndian) {
    KeyEntry entry = KeyEntry::Make(0x0102, {0x20, 0x01, 0x04}, {0x20, 0x00, 0x29});
    entry.current.spare = 0x55;
    const auto words = entry.ToWords();
    EXPECT_EQ(words[0], 0x01200102u); // slot, type, code1
    EXPECT_EQ(words[1], 0x01025504u); // code2, spare, slot
    EXPECT_EQ(words[2], 0x00290020u); // type, code1, code2, spare
    EXPECT_EQ(KeyEntry::FromWords(words[0], words[1], words[2]), entry);
    EXPECT_EQ(KeyEntry::FromBytes(entry.ToBytes()), entry);
}

} // namespace
} // namespace vpc::data

namespace vpc::data {
namespace {

// The caption rule, one case per kind of assignment, with the ids the language files hold.
TEST(KeyCaptionTest, EveryKindOfAssignmentHasItsCaption) {
    const std::vector<std::string> macros = {"Reload", "Build"};
    const auto ids = [](std::initializer_list<const char*> list) {
        return KeyCaption{std::vector<std::string>(list.begin(), list.end()), {}};
    };
    const auto literal = [](const char* text) { return KeyCaption{{}, text}; };
    struct Case {
        KeyAssignment assignment;
        std::optional<KeyCaption> expected;
    };
    const Case cases[] = {
        {{0x20, 0x00, 0x29}, ids({"keyboard_key_Esc"})},
        {{0x20, 0x10, 0x00}, ids({"keyboard_key_RCtrl"})},
        {{0x20, 0x01, 0x04}, ids({"keyboard_key_LCtrl", "keyboard_key_A"})},
        {{0x20, 0x03, 0x04}, std::nullopt}, // two modifiers: no single name
        {{0x20, 0x00, 0x00}, ids({"close_text"})},
        {{0x00, 0x00, 0x00}, ids({"close_text"})},
        {{0x10, 0x08, 0x00}, ids({"mouse_key_back"})},
        {{0x11, 0x00, 0x7F}, ids({"mouse_key_left_Swing"})},
        {{0x11, 0x00, 0x80}, ids({"mouse_key_right_Swing"})},
        {{0x12, 0x00, 0x80}, ids({"mouse_key_down_Swing"})},
        {{0x13, 0x03, 0x00}, ids({"mouse_key_DPI_loop"})},
        {{0x13, 0x04, 0x00}, std::nullopt},
        {{0x22, 0x00, 0x08}, ids({"custem_open"})},
        {{0x22, 0x00, 0x09}, std::nullopt},
        {{0x23, 0x00, 0x00}, ids({"show_window"})},
        {{0x30, 0xE2, 0x00}, ids({"media_mute"})},
        {{0x30, 0x26, 0x02}, ids({"wed_stop"})},
        {{0x40, 0x04, 0x00}, ids({"system_wake_up"})},
        {{0x70, 0x01, 0x00}, literal("Build")},
        {{0x71, 0x02, 0x05}, std::nullopt}, // no third macro
        {{0x15, 0x01, 0x02}, std::nullopt},
        {{0xB0, 0x01, 0x02}, std::nullopt},
        {{0xA0, 0x02, 0x00}, ids({"mouse_key_smart_key"})},
        {{0xA0, 0x00, 0x00}, ids({"close_text"})},
        {{0xA0, 0x1B, 0x00}, ids({"keyboard_key_GM"})},
        {{0xD0, 0xA2, 0x05}, ids({"keyboard_key_M5"})},
        {{0x99, 0x01, 0x01}, literal("\xE5\x85\xB3\xE9\x97\xAD")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeKeyCaption(c.assignment, macros), c.expected)
            << std::hex << int{c.assignment.type} << " " << int{c.assignment.code1} << " "
            << int{c.assignment.code2};
    EXPECT_EQ(KeyboardKeyTable()[141].textId, std::string("keyboard_key_GM"));
    EXPECT_EQ(OwnKeyName({0x20, 0x00, 0x53}), "keyboard_key_Num Lock");
    EXPECT_EQ(OwnKeyName({0x30, 0x83, 0x01}), "keyboard_key_Launch Media Select");
}

} // namespace
} // namespace vpc::data
