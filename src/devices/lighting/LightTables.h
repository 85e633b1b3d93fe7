// Constant tables of the lighting effects: colour wheel, breathing, short and pulse
// curves, brightness levels, flash periods, basic colours and the step interval table.
#pragma once

#include "LightTypes.h"

#include <array>
#include <cstdint>

namespace vpc::lighting {

inline constexpr int kWheelSize = 192;
inline constexpr int kBreathSize = 128;
inline constexpr int kShortCurveSize = 96;
inline constexpr int kPulseCurveSize = 192;

// Colour wheel W: 192 colours in six segments of 32.
const std::array<Rgb, kWheelSize>& ColorWheel();
// Breathing curve B: 128 values rising to 255 and falling back.
const std::array<std::uint8_t, kBreathSize>& BreathCurve();
// Short curve C: breathing entries 16..63, then the same 48 values reversed.
const std::array<std::uint8_t, kShortCurveSize>& ShortCurve();
// Pulse curve Q: a quick rise to 255, a long fall, zeros up to entry 191.
const std::array<std::uint8_t, kPulseCurveSize>& PulseCurve();
// The four basic colours of the basic-colour steps.
const std::array<Rgb, 4>& BasicColors();

// Brightness value Lv of a level 0..4 (levels out of range are clamped).
std::uint8_t LevelValue(int level);
// Flash period of a speed 0..4 in units of 200 ms (also used as a count of steps).
std::uint8_t PeriodOf(int speed);
// Flash period of a speed in milliseconds.
inline std::uint32_t PeriodMs(int speed) {
    return PeriodOf(speed) * 200u;
}

// True when a lighting mode has an effect step of its own; the other modes
// (0, 20, 30 and above 31) play the light sequence.
bool HasModeStep(int lightingMode);
// Ticks between two effect steps of a mode at a speed (table T, mode 21 fixed at 2).
int StepInterval(int lightingMode, int speed);

// Scales a byte by a byte: a * b / 256.
constexpr std::uint8_t Scale(unsigned a, unsigned b) {
    return static_cast<std::uint8_t>((a * b) >> 8);
}

} // namespace vpc::lighting
