// Assignment codes (type, code1, code2 packed into one integer) and the KeyEntry record that
// the device and the key assignment panel hand each other.
#pragma once

#include <array>
#include <cstdint>

namespace vpc::data {

// Assignment types of a key.
namespace assignment_type {
inline constexpr std::uint8_t kOwnFunction = 0x00;
inline constexpr std::uint8_t kMouseButton = 0x10;
inline constexpr std::uint8_t kMouseMove = 0x11;
inline constexpr std::uint8_t kMouseWheel = 0x12;
inline constexpr std::uint8_t kDpi = 0x13;
inline constexpr std::uint8_t kRapidFire = 0x14;
inline constexpr std::uint8_t kDpiShift = 0x16;
inline constexpr std::uint8_t kKeyboard = 0x20;
inline constexpr std::uint8_t kEditShortcut = 0x22;
inline constexpr std::uint8_t kShowWindow = 0x23;
inline constexpr std::uint8_t kMedia = 0x30;
inline constexpr std::uint8_t kSystem = 0x40;
inline constexpr std::uint8_t kMacro = 0x70;
inline constexpr std::uint8_t kMacroCount = 0x71;
inline constexpr std::uint8_t kGunPreset = 0x72;
inline constexpr std::uint8_t kDeviceFunction = 0xA0;
inline constexpr std::uint8_t kCombination = 0xB0;
inline constexpr std::uint8_t kOnboardMacro = 0xD0;
} // namespace assignment_type

// One key assignment: three bytes.
struct KeyAssignment {
    std::uint8_t type = 0;
    std::uint8_t code1 = 0;
    std::uint8_t code2 = 0;

    // The stored integer type * 65536 + code1 * 256 + code2.
    constexpr std::uint32_t ToCode() const {
        return (std::uint32_t{type} << 16) | (std::uint32_t{code1} << 8) | code2;
    }
    // Bits 16-23 are the type, 8-15 code1, 0-7 code2; higher bits are ignored.
    static constexpr KeyAssignment FromCode(std::uint32_t code) {
        return {static_cast<std::uint8_t>(code >> 16), static_cast<std::uint8_t>(code >> 8),
                static_cast<std::uint8_t>(code)};
    }
    bool operator==(const KeyAssignment&) const = default;
};

// Mouse movement (type 0x11) and mouse wheel (type 0x12) parameters.
struct MouseMotion {
    std::uint8_t delay = 0;    // 0-15
    std::uint8_t speed = 0;    // 0-15
    bool direction = false;    // false: up/left, true: down/right
    std::uint8_t distance = 0; // 0-127
    bool operator==(const MouseMotion&) const = default;
};

// code1: delay in the high nibble, speed in the low nibble. code2: bit 7 direction, bits 0-6
// distance. Out-of-range fields keep their low bits.
KeyAssignment EncodeMouseMove(const MouseMotion& motion);
MouseMotion DecodeMouseMove(const KeyAssignment& assignment);

// As the movement, but direction 1 stores 128 - distance with bit 7 set (two's complement).
KeyAssignment EncodeMouseWheel(const MouseMotion& motion);
MouseMotion DecodeMouseWheel(const KeyAssignment& assignment);

// One half of a KeyEntry: the UI key slot and an assignment, plus the spare byte.
struct KeyEntryHalf {
    std::uint16_t slot = 0;
    KeyAssignment assignment;
    std::uint8_t spare = 0;
    bool operator==(const KeyEntryHalf&) const = default;
};

// The current and the default assignment of one UI key slot (12 bytes, two halves of six).
struct KeyEntry {
    KeyEntryHalf current;
    KeyEntryHalf defaults;

    static KeyEntry Make(std::uint16_t slot, KeyAssignment current, KeyAssignment defaults);

    // The 12 bytes: slot (little-endian), type, code1, code2, spare, once per half.
    std::array<std::uint8_t, 12> ToBytes() const;
    static KeyEntry FromBytes(const std::array<std::uint8_t, 12>& bytes);

    // The same 12 bytes as three little-endian 32-bit words.
    std::array<std::uint32_t, 3> ToWords() const;
    static KeyEntry FromWords(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2);

    bool IsMacro() const {
        return current.assignment.type == assignment_type::kMacro ||
               current.assignment.type == assignment_type::kMacroCount;
    }
    bool operator==(const KeyEntry&) const = default;
};

} // namespace vpc::data
