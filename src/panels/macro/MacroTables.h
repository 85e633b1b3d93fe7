// The tables of the macro recorder: the set-1 scan code of each recordable key (row i names
// row i of the keyboard key table), the mouse actions by window message, and the translation
// of Linux input codes to set-1 scan codes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vpc::panels::macro {

struct ScanCode {
    std::uint8_t code = 0; // set 1, without prefix
    bool extended = false; // sent with the E0 prefix
    bool operator==(const ScanCode&) const = default;
};

inline constexpr std::size_t kScanCodeRows = 113;
// `ScanCodeTable`: rows 0-112 of the keyboard key table, the keys that can be recorded.
const std::array<ScanCode, kScanCodeRows>& ScanCodeTable();
// The row of a key event; nothing for a key that cannot be recorded.
std::optional<int> FindScanCodeRow(ScanCode code);

// Window messages of mouse buttons, as the hooks deliver them.
namespace mouse_message {
inline constexpr std::uint32_t kMove = 0x0200;
inline constexpr std::uint32_t kLeftDown = 0x0201;
inline constexpr std::uint32_t kLeftUp = 0x0202;
inline constexpr std::uint32_t kRightDown = 0x0204;
inline constexpr std::uint32_t kRightUp = 0x0205;
inline constexpr std::uint32_t kMiddleDown = 0x0207;
inline constexpr std::uint32_t kMiddleUp = 0x0208;
inline constexpr std::uint32_t kXDown = 0x020B;
inline constexpr std::uint32_t kXUp = 0x020C;
} // namespace mouse_message

struct MouseActionRow {
    std::uint32_t message = 0; // 0 for the moves
    std::uint8_t button = 0;
    std::uint8_t typeByte = 0; // action type, bit 7 set for "down"
    const char* nameId = "";
};
inline constexpr std::size_t kMouseActionRows = 15;
// `MouseActionTable`: rows 0-9 the buttons, 10-13 the four moves, 14 the cursor.
const std::array<MouseActionRow, kMouseActionRows>& MouseActionTable();

// The set-1 scan code of a Linux input key code (as evdev and, less 8, the X and Wayland
// keycodes give it); nothing for keys without one.
std::optional<ScanCode> LinuxKeyToScanCode(std::uint16_t linuxKeyCode);

// The text id an action's caption shows: keyboard types 10 (usage) and 9 (modifier), mouse
// types 1 (button) and 4, 5 (moves, with "down" choosing the direction). Empty when none.
std::string ActionCaptionId(int type, int button, bool down);
// Keyboard actions (types 9 and 10) or mouse ones (1 to 5).
bool IsKeyboardAction(int type);

} // namespace vpc::panels::macro
