// Value types shared by the keyboard lighting engine: per-light colours, the
// lighting record, the music settings, per-key overlay records and sequence frames.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vpc::lighting {

// Number of light slots of a keyboard (one per UI key slot, 0..169).
inline constexpr std::size_t kLightCount = 170;
// Table value for "no key" (170) and the second "none" value some tables hold (255).
inline constexpr std::uint8_t kNoKey = 170;
inline constexpr std::uint8_t kNoneByte = 255;

// True when a table entry names a real light slot (anything at or above 170 is "none").
constexpr bool IsLight(unsigned index) {
    return index < kLightCount;
}

// One entry of the per-light colour vector: red, green, blue and brightness (0-255).
struct LedColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t brightness = 0;

    friend bool operator==(const LedColor&, const LedColor&) = default;
};

using LedColorBuffer = std::array<LedColor, kLightCount>;

// Plain red, green, blue triple.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Clamps a brightness level or speed read from a profile or device to 0..4.
constexpr std::uint8_t ClampLevel(int value) {
    return static_cast<std::uint8_t>(value < 0 ? 0 : (value > 4 ? 4 : value));
}

// The keyboard's lighting record (`LightInfo`): mode, brightness level, speed,
// direction, multi-colour flag, colour and the preset-colour and custom-group bytes.
struct LightSettings {
    std::uint8_t mode = 0;
    std::uint8_t brightness = 0; // level 0..4
    std::uint8_t speed = 0;      // 0..4
    std::uint8_t direction = 0;  // 0 backward, otherwise forward
    bool multiColor = false;
    Rgb color;
    std::uint8_t zzccLedMode = 0;
    std::uint8_t customGroup = 0;

    // The same record with brightness and speed held to 0..4.
    LightSettings Clamped() const {
        LightSettings copy = *this;
        copy.brightness = ClampLevel(brightness);
        copy.speed = ClampLevel(speed);
        return copy;
    }
    friend bool operator==(const LightSettings&, const LightSettings&) = default;
};

// Music lighting settings (`AudioLightInfo`).
struct AudioLightSettings {
    std::uint8_t audioMode = 0; // music variant 0..6
    Rgb background;
    Rgb foreground;
    bool sevenColor = false;
    bool colorType = false;

    friend bool operator==(const AudioLightSettings&, const AudioLightSettings&) = default;
};

// Overlay kinds of a per-key overlay record.
enum class OverlayKind : std::uint8_t {
    Breathing = 0,
    Static = 1,
    Flash = 2,
    ColorCycle = 3,
    Off = 4,
};

// One per-key overlay record (`LightListEntry`); element i belongs to light i.
struct LightListEntry {
    std::uint8_t kind = 0; // `LEDREGMode`, see OverlayKind
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    bool direction = false;
    bool multiColor = false;
    Rgb color;
    bool present = false; // false for a null element of the profile's list

    friend bool operator==(const LightListEntry&, const LightListEntry&) = default;
};

// Kinds of a light sequence frame.
enum class FrameKind : std::uint8_t {
    Breathing = 0,
    Static = 1,
    Flash = 2,
    SpectrumWave = 4,
    WheelColor = 5,
};

// One frame of a light sequence (`EffectFrame` of `LEDEffectList`).
struct EffectFrame {
    std::uint8_t kind = 1; // `LEDREGMode`, see FrameKind
    std::uint8_t brightness = 0;
    std::uint8_t speed = 0;
    std::uint8_t direction = 0;
    bool multiColor = false;
    Rgb color;
    std::int32_t timeMs = 0; // `Time`
    std::int32_t cycles = 0; // `Cyle`

    friend bool operator==(const EffectFrame&, const EffectFrame&) = default;
};

// Lighting modes the engine knows by number.
namespace mode {
inline constexpr std::uint8_t kStaticBands = 6;
inline constexpr std::uint8_t kPresetColor = 17;
inline constexpr std::uint8_t kMusic = 21;
inline constexpr std::uint8_t kLightsOff = 28;
inline constexpr std::uint8_t kScreenColor = 31;
inline constexpr std::uint8_t kCustomColors = 19;
inline constexpr std::uint8_t kSweep = 24;
} // namespace mode

// True for the modes whose colours are streamed to the device as live frames.
constexpr bool IsLiveMode(std::uint8_t lightingMode) {
    return lightingMode == mode::kMusic || lightingMode == mode::kScreenColor;
}

} // namespace vpc::lighting
