// The mouse's fixed tables: the codes that name its 11 buttons in the device's key table, its
// 15 LEDs in 7 groups, the effect step intervals, and the sensor fields of its information
// block with the conversion between DPI slider positions and DPI values.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace vpc::devices::mouse {

inline constexpr int kButtonCount = 11;
inline constexpr int kLedCount = 15;
inline constexpr int kGroupCount = 7;
inline constexpr int kDpiStageCount = 5;
inline constexpr int kPollingOptions = 5;
inline constexpr int kRecordStride = 128; // parameter memory per onboard slot
inline constexpr std::uint8_t kNoPosition = 170;

using KeyCode = std::array<std::uint8_t, 3>; // type, code1, code2

// The code of each button, by which its position in the device's key table is found.
const std::array<KeyCode, kButtonCount>& MouseKeyCodeTable();
// Up to three LED indexes per group, -1 for none.
const std::array<std::array<int, 3>, kGroupCount>& MouseLedGroups();
// Ticks between two effect steps, by speed 0-4 (speed held to that range).
int MouseStepInterval(int speed);

// Positions of the buttons in a key table of keyCount positions: the first position whose
// three bytes equal the button's code, kNoPosition when none does.
std::array<std::uint8_t, kButtonCount> FindButtonPositions(std::span<const std::uint8_t> keyTable,
                                                           int keyCount);

// The sensor fields of the information block and the DPI scale they define.
struct DpiScale {
    static constexpr std::uint16_t kTwoRateSensor = 13093;
    static constexpr int kTwoRateKnee = 48; // slider position where 200 DPI steps begin
    static constexpr int kTwoRateStepDpi = 200;
    static constexpr int kTwoRateTextKnee = 5000; // typed DPI above this counts in 200s

    std::uint16_t sensorCode = 0; // bytes 9-10
    std::uint8_t step = 0;        // byte 11: DPI per slider position
    std::uint16_t sliderMax = 0;  // bytes 12-13
    std::uint16_t base = 0;       // bytes 14-15: DPI of position 0

    static DpiScale FromInfoBlock(std::span<const std::uint8_t> info);
    // A step or a slider maximum of 0 gives no usable scale: positions cannot be converted.
    bool IsUsable() const { return step != 0 && sliderMax != 0; }
    // The DPI a slider position shows.
    int ToDpi(int position) const;
    // Typed text back to a slider position (empty text counts as 0, values below the base as
    // the base), held to 0..sliderMax; nothing when the scale is not usable.
    std::optional<int> ToPosition(std::string_view text) const;
    // The highest DPI the edit boxes accept: sliderMax x step.
    int EditMaximum() const { return int{sliderMax} * step; }
};

} // namespace vpc::devices::mouse
