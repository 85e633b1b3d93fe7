// The in-memory records of a profile: lighting, music lighting, per-light overlays, effect
// frames, DPI stages, pointer corrections, custom colours and system stage words.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vpc::data {

// "LightInfo": the lighting record of a device.
struct LightInfo {
    std::uint8_t selectItem = 0; // "SelectItem": the mode's position in the mode list
    std::uint8_t light = 0;      // "Light": brightness level
    std::uint8_t speed = 0;      // "Speed"
    std::uint8_t fx = 0;         // "Fx": direction
    std::uint8_t multiColor = 0; // "MultiColor"
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t zzccLedMode = 0; // "ZZCCLedMode"
    std::uint8_t customGroup = 0; // "CustomGroup"
    std::uint8_t oldLedmode = 0;  // "OldLedmode"
    bool operator==(const LightInfo&) const = default;
};

// The lighting record as the four words of `SetLightInfo` and `ShowLightInfo` carry it:
// bytes 0-3, 4-7, 8-11 and the group word of bytes 12-13 (low byte first in each word).
using LightWords = std::array<std::uint32_t, 4>;

inline LightWords ToLightWords(const LightInfo& info) {
    const auto word = [](std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
        return std::uint32_t{b0} | (std::uint32_t{b1} << 8) | (std::uint32_t{b2} << 16) |
               (std::uint32_t{b3} << 24);
    };
    return {word(info.selectItem, info.light, info.speed, info.fx),
            word(info.multiColor, info.red, info.green, info.blue), word(0, 0, 0, info.zzccLedMode),
            word(info.customGroup, info.oldLedmode, 0, 0)};
}

inline LightInfo FromLightWords(const LightWords& words) {
    const auto byte = [&words](int word, int index) {
        return static_cast<std::uint8_t>(words[static_cast<std::size_t>(word)] >> (8 * index));
    };
    LightInfo info;
    info.selectItem = byte(0, 0);
    info.light = byte(0, 1);
    info.speed = byte(0, 2);
    info.fx = byte(0, 3);
    info.multiColor = byte(1, 0);
    info.red = byte(1, 1);
    info.green = byte(1, 2);
    info.blue = byte(1, 3);
    info.zzccLedMode = byte(2, 3);
    info.customGroup = byte(3, 0);
    info.oldLedmode = byte(3, 1);
    return info;
}

// "AudioLightInfo": the music lighting settings.
struct AudioLightInfo {
    std::uint8_t audioMode = 0;
    std::uint8_t bkColorR = 0;
    std::uint8_t bkColorG = 0;
    std::uint8_t bkColorB = 0;
    std::uint8_t fgColorR = 0;
    std::uint8_t fgColorG = 0;
    std::uint8_t fgColorB = 0;
    std::uint8_t sevenColorFlags = 0; // "7ColorFlags", read as a boolean
    std::uint8_t colorTypeFlags = 0;  // "ColorTypeFlags", read as a boolean
    bool operator==(const AudioLightInfo&) const = default;
};

// One element of "LightList": the overlay of one light; present is 0 for a null element.
struct LightListEntry {
    std::uint8_t ledRegMode = 0;    // "LEDREGMode"
    std::uint8_t ledBrightness = 0; // "LEDBrightness"
    std::uint8_t ledSpeed = 0;      // "LEDSpeed"
    std::uint8_t ledDirection = 0;  // "LEDDirection", read as a boolean
    std::uint8_t ledMultiColor = 0; // "LEDMultiColor", read as a boolean
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t present = 0;
    bool operator==(const LightListEntry&) const = default;
};

// One frame of a custom lighting effect ("LEDEffectList" of an effect file).
struct EffectFrame {
    std::uint8_t ledRegMode = 0;
    std::uint8_t ledBrightness = 0;
    std::uint8_t ledSpeed = 0;
    std::uint8_t ledDirection = 0;
    std::uint8_t ledMultiColor = 0;
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::int32_t time = 0; // "Time", milliseconds
    std::int32_t cyle = 0; // "Cyle": cycle count
    bool operator==(const EffectFrame&) const = default;
};

// One element of "DPIStages"."StageDPIs".
struct DpiStage {
    std::uint8_t stageActive = 0;
    std::uint8_t stageXY = 0;
    std::uint16_t stageDpiX = 0;
    std::uint16_t stageDpiY = 0;
    std::uint8_t stageColorR = 0;
    std::uint8_t stageColorG = 0;
    std::uint8_t stageColorB = 0;
    bool operator==(const DpiStage&) const = default;
};

// One element of "CorrectInfo" (read only).
struct CorrectEntry {
    std::uint8_t correctPixThresh = 0;
    std::uint8_t correctMinSq = 0;
    std::uint8_t correctSelect = 0;
    std::string correctName; // UTF-8
    bool operator==(const CorrectEntry&) const = default;
};

// One light's colour of a custom colour group.
struct CustomColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;
    bool operator==(const CustomColor&) const = default;
};

// Three 32-bit words, each carrying two 16-bit values, the first in the low half.
using SystemStageWords = std::array<std::uint32_t, 3>;

inline constexpr std::uint32_t PackHalves(std::uint16_t low, std::uint16_t high) {
    return std::uint32_t{low} | (std::uint32_t{high} << 16);
}
inline constexpr std::uint16_t LowHalf(std::uint32_t word) {
    return static_cast<std::uint16_t>(word);
}
inline constexpr std::uint16_t HighHalf(std::uint32_t word) {
    return static_cast<std::uint16_t>(word >> 16);
}

// Keyboard "SystemStages" as named values.
struct KeyboardSystemStages {
    std::uint16_t repeat = 0;
    std::uint16_t repeatDelay = 0;
    std::uint16_t key6Flag = 0;
    std::uint16_t pollingRate = 0;
    std::uint16_t wFlag = 0;
    std::uint16_t winFlag = 0;

    SystemStageWords ToWords() const {
        return {PackHalves(repeat, repeatDelay), PackHalves(key6Flag, pollingRate),
                PackHalves(wFlag, winFlag)};
    }
    static KeyboardSystemStages FromWords(const SystemStageWords& w) {
        return {LowHalf(w[0]),  HighHalf(w[0]), LowHalf(w[1]),
                HighHalf(w[1]), LowHalf(w[2]),  HighHalf(w[2])};
    }
    bool operator==(const KeyboardSystemStages&) const = default;
};

// Mouse "SystemStages" plus "ReportStages"."StageActive" as named values.
struct MouseSystemStages {
    std::uint16_t doubleClickTime = 0;
    std::uint16_t mouseSpeed = 0;
    std::uint16_t pointerPrecision = 0;
    std::uint16_t scorllPage = 0;
    std::uint16_t wheelScorlllinse = 0;
    std::uint16_t reportStageActive = 0;

    SystemStageWords ToWords() const {
        return {PackHalves(doubleClickTime, mouseSpeed), PackHalves(pointerPrecision, scorllPage),
                PackHalves(wheelScorlllinse, reportStageActive)};
    }
    static MouseSystemStages FromWords(const SystemStageWords& w) {
        return {LowHalf(w[0]),  HighHalf(w[0]), LowHalf(w[1]),
                HighHalf(w[1]), LowHalf(w[2]),  HighHalf(w[2])};
    }
    bool operator==(const MouseSystemStages&) const = default;
};

// Headset "SystemSetStages".
struct HeadsetSystemSetStages {
    std::int32_t magicEnable = 0;
    std::int32_t magicType = 0;
    std::int32_t eqType = 0;
    std::int32_t customEqSeletIndex = 0;
    std::int32_t micInSelect = 0;
    std::int32_t micInValue = 0;
    std::int32_t micMoniterSelect = 0;
    std::int32_t micMoniterValue = 0;
    bool operator==(const HeadsetSystemSetStages&) const = default;
};

} // namespace vpc::data
