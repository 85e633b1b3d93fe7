// The keyboard's 64-byte onboard profile record: built from the profile's lighting and system
// settings, and read back into them, with the mode list translation of the device's modes.
#pragma once

#include "KeyboardTables.h"
#include "ProfileRecords.h"

#include <array>
#include <cstdint>
#include <span>

namespace vpc::devices::keyboard {

using OnboardRecordBytes = std::array<std::uint8_t, kOnboardRecordSize>;

// Modes from this one on are not kept by the device; they are written as 0.
inline constexpr std::uint8_t kFirstHostOnlyMode = 31;

// What a record read from the device says.
struct OnboardState {
    data::LightInfo light;      // mode (translated), brightness, speed, direction, colour, ZZCC
    std::uint16_t wFlag = 0;    // byte 19
    std::uint16_t key6Flag = 0; // byte 20
    std::uint16_t winFlag = 0;  // byte 21
};

// Byte 0 = value; the lighting from `LightInfo` (mode 0 when it is 31 or more, brightness
// and speed held to 0..4, byte 3 = 4 - speed); the flags and the polling rate from the
// system stages; byte 25 = the custom group; every other byte 0.
OnboardRecordBytes EncodeOnboardRecord(const data::LightInfo& light,
                                       const data::KeyboardSystemStages& system,
                                       std::uint8_t value);

// The mode is the first position of modeValues whose value equals byte 1 (byte 1 itself when
// none does); brightness and speed = 4 - byte 3 are held to 0..4 whatever the device sent.
OnboardState DecodeOnboardRecord(const OnboardRecordBytes& record, std::span<const int> modeValues);

} // namespace vpc::devices::keyboard
