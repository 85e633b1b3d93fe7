// The mouse's onboard profile record: 128 bytes per slot in parameter memory, of which the
// program writes the first 66 (lighting, polling rate, the five DPI stages, the screen size
// and the lift-off correction) and reads back the first 71.
#pragma once

#include "ProfileRecords.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vpc::devices::mouse {

inline constexpr std::size_t kRecordWriteSize = 66;
inline constexpr std::size_t kRecordReadSize = 71;
inline constexpr std::uint8_t kHighestRecordMode = 11; // higher modes are written as 0

using MouseRecordImage = std::array<std::uint8_t, kRecordWriteSize>;
using MouseRecordBytes = std::array<std::uint8_t, kRecordReadSize>;

struct MouseRecordSource {
    data::LightInfo light;
    std::vector<data::DpiStage> stages;
    std::uint8_t activeStage = 0;
    std::uint8_t pollingOption = 0;
    std::vector<data::CorrectEntry> corrections;
    std::uint8_t value = 0; // byte 0
    std::uint8_t flag = 0;  // byte 59
    std::uint16_t screenWidth = 0;
    std::uint16_t screenHeight = 0;
};

MouseRecordImage EncodeMouseRecord(const MouseRecordSource& source);

// What the program takes from a record read back.
struct MouseRecordState {
    std::uint8_t mode = 0; // the mode list position of byte 1 (byte 1 when no entry holds it)
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0; // 4 - byte 3, held to 0-4
    std::uint8_t multiColor = 0;
    std::uint8_t red = 0, green = 0, blue = 0;
    std::uint8_t activeStage = 0; // byte 12
};

MouseRecordState DecodeMouseRecord(std::span<const std::uint8_t> record,
                                   std::span<const int> modeValues);

} // namespace vpc::devices::mouse
