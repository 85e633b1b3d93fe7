#include "MacroTables.h"

#include "KeyNames.h"

#include <algorithm>

namespace vpc::panels::macro {

namespace {

constexpr ScanCode Plain(std::uint8_t code) {
    return {code, false};
}
constexpr ScanCode E0(std::uint8_t code) {
    return {code, true};
}

constexpr std::array<ScanCode, kScanCodeRows> kScanCodes = {{
    // 0-7: LCtrl, LShift, LAlt, LWin, RCtrl, RShift, RAlt, RWin
    Plain(0x1D),
    Plain(0x2A),
    Plain(0x38),
    E0(0x5B),
    E0(0x1D),
    E0(0x36),
    E0(0x38),
    E0(0x5C),
    // 8-33: A to Z
    Plain(0x1E),
    Plain(0x30),
    Plain(0x2E),
    Plain(0x20),
    Plain(0x12),
    Plain(0x21),
    Plain(0x22),
    Plain(0x23),
    Plain(0x17),
    Plain(0x24),
    Plain(0x25),
    Plain(0x26),
    Plain(0x32),
    Plain(0x31),
    Plain(0x18),
    Plain(0x19),
    Plain(0x10),
    Plain(0x13),
    Plain(0x1F),
    Plain(0x14),
    Plain(0x16),
    Plain(0x2F),
    Plain(0x11),
    Plain(0x2D),
    Plain(0x15),
    Plain(0x2C),
    // 34-43: 1 to 9, then 0
    Plain(0x02),
    Plain(0x03),
    Plain(0x04),
    Plain(0x05),
    Plain(0x06),
    Plain(0x07),
    Plain(0x08),
    Plain(0x09),
    Plain(0x0A),
    Plain(0x0B),
    // 44-53: Enter, Esc, BackSpace, Tab, Space, -, =, [, ], backslash
    Plain(0x1C),
    Plain(0x01),
    Plain(0x0E),
    Plain(0x0F),
    Plain(0x39),
    Plain(0x0C),
    Plain(0x0D),
    Plain(0x1A),
    Plain(0x1B),
    Plain(0x2B),
    // 54-60: ; ' ` < . / CapsLock
    Plain(0x27),
    Plain(0x28),
    Plain(0x29),
    Plain(0x33),
    Plain(0x34),
    Plain(0x35),
    Plain(0x3A),
    // 61-72: F1 to F12
    Plain(0x3B),
    Plain(0x3C),
    Plain(0x3D),
    Plain(0x3E),
    Plain(0x3F),
    Plain(0x40),
    Plain(0x41),
    Plain(0x42),
    Plain(0x43),
    Plain(0x44),
    Plain(0x57),
    Plain(0x58),
    // 73-85: PrintScr, ScrollLock, Pause, Insert, Home, PageUp, Delete, End, PageDown, Right,
    // Left, Down, Up
    E0(0x37),
    Plain(0x46),
    Plain(0x45),
    E0(0x52),
    E0(0x47),
    E0(0x49),
    E0(0x53),
    E0(0x4F),
    E0(0x51),
    E0(0x4D),
    E0(0x4B),
    E0(0x50),
    E0(0x48),
    // 86-91: NumLock, Num /, Num *, Num -, Num +, Num Enter
    E0(0x45),
    E0(0x35),
    Plain(0x37),
    Plain(0x4A),
    Plain(0x4E),
    E0(0x1C),
    // 92-102: Num 1 to Num 9, Num 0, Num .
    Plain(0x4F),
    Plain(0x50),
    Plain(0x51),
    Plain(0x4B),
    Plain(0x4C),
    Plain(0x4D),
    Plain(0x47),
    Plain(0x48),
    Plain(0x49),
    Plain(0x52),
    Plain(0x53),
    // 103-112: App, K45, K56, K14, K107, K131, K132, K133, K150, K151
    E0(0x5D),
    Plain(0x56),
    Plain(0x73),
    Plain(0x7D),
    Plain(0x7E),
    Plain(0x7B),
    Plain(0x79),
    Plain(0x70),
    Plain(0x71),
    Plain(0x72),
}};

constexpr std::array<MouseActionRow, kMouseActionRows> kMouseActions = {{
    {mouse_message::kLeftDown, 0x01, 0x81, "mouse_key_left"},
    {mouse_message::kLeftUp, 0x01, 0x01, "mouse_key_left"},
    {mouse_message::kRightDown, 0x02, 0x81, "mouse_key_right"},
    {mouse_message::kRightUp, 0x02, 0x01, "mouse_key_right"},
    {mouse_message::kMiddleDown, 0x04, 0x81, "mouse_key_middle"},
    {mouse_message::kMiddleUp, 0x04, 0x01, "mouse_key_middle"},
    {mouse_message::kXDown, 0x10, 0x81, "mouse_key_forward"},
    {mouse_message::kXUp, 0x10, 0x01, "mouse_key_forward"},
    {mouse_message::kXDown, 0x08, 0x81, "mouse_key_back"},
    {mouse_message::kXUp, 0x08, 0x01, "mouse_key_back"},
    {0, 0, 0x84, "mouse_move_to_left_text"},
    {0, 0, 0x04, "mouse_move_to_right_text"},
    {0, 0, 0x85, "mouse_move_to_up_text"},
    {0, 0, 0x05, "mouse_move_to_down_text"},
    {0, 0, 0x00, "mouse_cursor_text"},
}};

} // namespace

const std::array<ScanCode, kScanCodeRows>& ScanCodeTable() {
    return kScanCodes;
}

std::optional<int> FindScanCodeRow(ScanCode code) {
    const auto found = std::find(kScanCodes.begin(), kScanCodes.end(), code);
    if (found == kScanCodes.end())
        return std::nullopt;
    return static_cast<int>(found - kScanCodes.begin());
}

const std::array<MouseActionRow, kMouseActionRows>& MouseActionTable() {
    return kMouseActions;
}

std::optional<ScanCode> LinuxKeyToScanCode(std::uint16_t code) {
    // Codes 1-88 are the set-1 codes themselves; the keys the table keeps with quirks of their
    // own are right shift and Num Lock (with the prefix) and Pause (without it).
    switch (code) {
    case 54: // right shift
        return E0(0x36);
    case 69: // Num Lock
        return E0(0x45);
    case 119: // Pause
        return Plain(0x45);
    case 96: // keypad Enter
        return E0(0x1C);
    case 97: // right Ctrl
        return E0(0x1D);
    case 98: // keypad /
        return E0(0x35);
    case 99: // Print Screen (SysRq)
        return E0(0x37);
    case 100: // right Alt
        return E0(0x38);
    case 102: // Home
        return E0(0x47);
    case 103: // Up
        return E0(0x48);
    case 104: // Page Up
        return E0(0x49);
    case 105: // Left
        return E0(0x4B);
    case 106: // Right
        return E0(0x4D);
    case 107: // End
        return E0(0x4F);
    case 108: // Down
        return E0(0x50);
    case 109: // Page Down
        return E0(0x51);
    case 110: // Insert
        return E0(0x52);
    case 111: // Delete
        return E0(0x53);
    case 125: // left Meta
        return E0(0x5B);
    case 126: // right Meta
        return E0(0x5C);
    case 127: // Compose (the application key)
        return E0(0x5D);
    case 89: // RO
        return Plain(0x73);
    case 92: // Henkan
        return Plain(0x79);
    case 93: // Katakana/Hiragana
        return Plain(0x70);
    case 94: // Muhenkan
        return Plain(0x7B);
    case 121: // keypad comma
        return Plain(0x7E);
    case 122: // Hangeul
        return Plain(0x72);
    case 123: // Hanja
        return Plain(0x71);
    case 124: // Yen
        return Plain(0x7D);
    default:
        break;
    }
    if (code >= 1 && code <= 88)
        return Plain(static_cast<std::uint8_t>(code));
    return std::nullopt;
}

bool IsKeyboardAction(int type) {
    return type == 9 || type == 10;
}

std::string ActionCaptionId(int type, int button, bool down) {
    const auto& keys = data::KeyboardKeyTable();
    if (type == 10) {
        for (std::size_t i = 8; i < keys.size(); ++i)
            if (keys[i].assignment.type == 0x20 && keys[i].assignment.code1 == 0 &&
                keys[i].assignment.code2 == button)
                return keys[i].textId;
        return {};
    }
    if (type == 9) {
        for (std::size_t i = 0; i < 8; ++i)
            if (keys[i].assignment.type == 0x20 && keys[i].assignment.code2 == 0 &&
                keys[i].assignment.code1 == button)
                return keys[i].textId;
        return {};
    }
    if (type == 1) {
        for (std::size_t i = 0; i < 10; ++i)
            if (kMouseActions[i].button == button)
                return kMouseActions[i].nameId;
        return {};
    }
    if (type == 4 || type == 5) {
        const int typeByte = type | (down ? 0x80 : 0);
        for (std::size_t i = 10; i < 14; ++i)
            if (kMouseActions[i].typeByte == typeByte)
                return kMouseActions[i].nameId;
    }
    return {};
}

} // namespace vpc::panels::macro
