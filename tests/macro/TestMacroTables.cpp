// The recorder's tables: Linux key codes to set-1 scan codes, the rows they name, captions.
#include "MacroTables.h"

#include "KeyNames.h"

#include <gtest/gtest.h>

namespace vpc::test {
namespace {

using panels::macro::LinuxKeyToScanCode;
using panels::macro::ScanCode;

TEST(MacroScanCodes, LinuxKeyCodesReachTheirRowsWithTheTablesQuirks) {
    struct Case {
        const char* name;
        std::uint16_t linuxCode;
        ScanCode code;
        const char* textId; // the key table row the scan code names
    };
    for (const Case& c : {
             Case{"Esc", 1, {0x01, false}, "keyboard_key_Esc"},
             Case{"A", 30, {0x1E, false}, "keyboard_key_A"},
             Case{"Z", 44, {0x2C, false}, "keyboard_key_Z"},
             Case{"F12", 88, {0x58, false}, "keyboard_key_F12"},
             Case{"left shift", 42, {0x2A, false}, "keyboard_key_LShift"},
             Case{"right shift keeps the prefix", 54, {0x36, true}, "keyboard_key_RShift"},
             Case{"Num Lock keeps the prefix", 69, {0x45, true}, "keyboard_key_Num Lock"},
             Case{"Pause has none", 119, {0x45, false}, "keyboard_key_Pause"},
             Case{"Print Screen", 99, {0x37, true}, "keyboard_key_Print Scr"},
             Case{"keypad *", 55, {0x37, false}, "keyboard_key_Num *"},
             Case{"right Ctrl", 97, {0x1D, true}, "keyboard_key_RCtrl"},
             Case{"keypad Enter", 96, {0x1C, true}, "keyboard_key_Num Enter"},
             Case{"Enter", 28, {0x1C, false}, "keyboard_key_Enter"},
             Case{"left Meta", 125, {0x5B, true}, "keyboard_key_LWin"},
             Case{"application key", 127, {0x5D, true}, "keyboard_key_App"},
             Case{"Delete", 111, {0x53, true}, "keyboard_key_Delete"},
             Case{"keypad .", 83, {0x53, false}, "keyboard_key_Decimal"},
             Case{"102nd key", 86, {0x56, false}, "keyboard_key_K45"},
             Case{"Hanja", 123, {0x71, false}, "keyboard_key_K150"},
         }) {
        SCOPED_TRACE(c.name);
        const std::optional<ScanCode> code = LinuxKeyToScanCode(c.linuxCode);
        ASSERT_TRUE(code.has_value());
        EXPECT_EQ(*code, c.code);
        const std::optional<int> row = panels::macro::FindScanCodeRow(*code);
        ASSERT_TRUE(row.has_value());
        EXPECT_STREQ(data::KeyboardKeyTable()[static_cast<std::size_t>(*row)].textId, c.textId);
    }
    EXPECT_FALSE(LinuxKeyToScanCode(0).has_value());
    EXPECT_FALSE(LinuxKeyToScanCode(113).has_value()) << "mute has no key table row";
}

TEST(MacroScanCodes, EveryRecordableKeyHasALinuxCodeAndNoTwoRowsShareAScanCode) {
    const auto& table = panels::macro::ScanCodeTable();
    for (std::size_t row = 0; row < table.size(); ++row) {
        bool reached = false;
        for (std::uint16_t code = 1; code < 256 && !reached; ++code)
            reached = LinuxKeyToScanCode(code) == table[row];
        EXPECT_TRUE(reached) << "row " << row;
        for (std::size_t other = row + 1; other < table.size(); ++other)
            EXPECT_FALSE(table[other] == table[row]) << row << " and " << other;
    }
}

TEST(MacroCaptions, KeysButtonsAndMovesByTypeAndButton) {
    struct Case {
        int type, button;
        bool down;
        const char* id;
    };
    for (const Case& c :
         {Case{10, 0x04, true, "keyboard_key_A"}, Case{9, 0x20, false, "keyboard_key_RShift"},
          Case{1, 0x10, true, "mouse_key_forward"}, Case{1, 0x08, false, "mouse_key_back"},
          Case{4, 12, true, "mouse_move_to_left_text"},
          Case{4, 12, false, "mouse_move_to_right_text"}, Case{5, 7, true, "mouse_move_to_up_text"},
          Case{5, 7, false, "mouse_move_to_down_text"}, Case{10, 0xFF, true, ""},
          Case{7, 1, true, ""}}) {
        EXPECT_EQ(panels::macro::ActionCaptionId(c.type, c.button, c.down), c.id)
            << c.type << " " << c.button;
    }
}

} // namespace
} // namespace vpc::test
