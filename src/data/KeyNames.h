// The names of key assignments: the keyboard key table (virtual key, assignment, text id) that
// the key captions and the key assignment panel share, the media and system lists, and the
// caption rule that turns an assignment into the text id (or literal text) a key shows.
#pragma once

#include "KeyAssignment.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vpc::data {

struct KeyNameRow {
    std::uint16_t virtualKey = 0;
    KeyAssignment assignment;
    const char* textId = "";
};

inline constexpr std::size_t kKeyboardKeyTableSize = 142;
// `KeyboardKeyTable`: modifiers, keys, media, system, M1-M5, Fn and GM.
const std::array<KeyNameRow, kKeyboardKeyTableSize>& KeyboardKeyTable();
// `MediaKeyList` (type 0x30, consumer usage low and high byte) and `SystemKeyList` (type 0x40).
const std::vector<KeyNameRow>& MediaKeyList();
const std::vector<KeyNameRow>& SystemKeyList();
// The rows of the key assignment panel's other lists, in the order of their items:
// `MouseButtonList` (type 0x10), `DpiFunctionList` (0x13), `ComboKeyList` (editing shortcuts,
// 0x20 with left Ctrl) and the four gun presets (0x72).
const std::vector<KeyNameRow>& MouseButtonList();
const std::vector<KeyNameRow>& DpiFunctionList();
const std::vector<KeyNameRow>& ComboKeyList();
const std::vector<KeyNameRow>& GunPresetList();

// What a key shows for its assignment: text ids to translate and join with "+" (a modifier
// and a key), or a text to show as it is (a macro's name). Nothing when the key keeps the
// caption it has.
struct KeyCaption {
    std::vector<std::string> textIds;
    std::string literal;
    bool operator==(const KeyCaption&) const = default;
};
std::optional<KeyCaption> MakeKeyCaption(const KeyAssignment& assignment,
                                         const std::vector<std::string>& macroNames);

// The text id of the key whose factory assignment this is (its own name); empty when the
// key table has no such key.
std::string OwnKeyName(const KeyAssignment& factory);

} // namespace vpc::data
