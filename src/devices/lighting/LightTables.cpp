#include "LightTables.h"

namespace vpc::lighting {
namespace {

constexpr std::array<std::uint8_t, 32> kRisingRamp = {
    1,  3,  5,  7,   10,  14,  18,  22,  26,  32,  38,  44,  50,  57,  65,  73,
    81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<std::uint8_t, 32> kFallingRamp = {
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};

constexpr std::array<std::uint8_t, 64> kBreathRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<std::uint8_t, 89> kPulseHead = {
    0,   4,   8,   14,  22,  33,  45,  61,  77,  84,  100, 110, 120, 130, 140, 150, 158, 166,
    175, 182, 191, 204, 220, 234, 255, 248, 241, 234, 227, 220, 213, 206, 200, 194, 188, 182,
    176, 170, 164, 158, 152, 146, 140, 134, 129, 124, 119, 114, 109, 104, 99,  94,  89,  85,
    81,  77,  73,  69,  65,  61,  57,  53,  49,  45,  42,  39,  36,  33,  30,  27,  24,  22,
    20,  18,  16,  14,  12,  10,  9,   8,   7,   6,   5,   4,   3,   2,   2,   1,   0};

constexpr std::array<Rgb, kWheelSize> MakeWheel() {
    std::array<Rgb, kWheelSize> wheel{};
    for (int j = 0; j < 32; ++j) {
        const std::uint8_t up = kRisingRamp[j];
        const std::uint8_t down = kFallingRamp[j];
        wheel[j] = {255, up, 0};
        wheel[32 + j] = {down, 255, 0};
        wheel[64 + j] = {0, 255, up};
        wheel[96 + j] = {0, down, 255};
        wheel[128 + j] = {up, 0, 255};
        wheel[160 + j] = {255, 0, down};
    }
    return wheel;
}

constexpr std::array<std::uint8_t, kBreathSize> MakeBreath() {
    std::array<std::uint8_t, kBreathSize> curve{};
    for (int i = 0; i < 64; ++i) {
        curve[i] = kBreathRise[i];
        curve[64 + i] = kBreathRise[63 - i];
    }
    return curve;
}

constexpr std::array<std::uint8_t, kShortCurveSize> MakeShort() {
    std::array<std::uint8_t, kShortCurveSize> curve{};
    for (int i = 0; i < 48; ++i) {
        curve[i] = kBreathRise[16 + i];
        curve[95 - i] = kBreathRise[16 + i];
    }
    return curve;
}

constexpr std::array<std::uint8_t, kPulseCurveSize> MakePulse() {
    std::array<std::uint8_t, kPulseCurveSize> curve{};
    for (std::size_t i = 0; i < kPulseHead.size(); ++i) {
        curve[i] = kPulseHead[i];
    }
    return curve;
}

constexpr std::array<Rgb, kWheelSize> kWheel = MakeWheel();
constexpr std::array<std::uint8_t, kBreathSize> kBreath = MakeBreath();
constexpr std::array<std::uint8_t, kShortCurveSize> kShort = MakeShort();
constexpr std::array<std::uint8_t, kPulseCurveSize> kPulse = MakePulse();
constexpr std::array<Rgb, 4> kBasic = {{{0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}}};
constexpr std::array<std::uint8_t, 5> kLevels = {0, 65, 130, 195, 255};
constexpr std::array<std::uint8_t, 5> kPeriods = {28, 23, 18, 13, 7};

using IntervalRow = std::array<std::uint8_t, 5>;
constexpr IntervalRow kRegular = {5, 4, 3, 2, 1};
constexpr IntervalRow kSlow = {20, 12, 8, 5, 2};
constexpr IntervalRow kCorner = {7, 6, 5, 4, 3};
constexpr IntervalRow kScreen = {2, 0, 0, 0, 0};

const IntervalRow* IntervalRowOf(int lightingMode) {
    switch (lightingMode) {
    case 10:
    case 25:
    case 28:
    case 29:
        return &kSlow;
    case 16:
        return &kCorner;
    case 26: // uses mode 5's row
    case 27: // uses mode 23's row
        return &kRegular;
    case 31:
        return &kScreen;
    default:
        break;
    }
    if ((lightingMode >= 1 && lightingMode <= 9) || (lightingMode >= 11 && lightingMode <= 15) ||
        (lightingMode >= 17 && lightingMode <= 24)) {
        return &kRegular;
    }
    return nullptr;
}

} // namespace

const std::array<Rgb, kWheelSize>& ColorWheel() {
    return kWheel;
}
const std::array<std::uint8_t, kBreathSize>& BreathCurve() {
    return kBreath;
}
const std::array<std::uint8_t, kShortCurveSize>& ShortCurve() {
    return kShort;
}
const std::array<std::uint8_t, kPulseCurveSize>& PulseCurve() {
    return kPulse;
}
const std::array<Rgb, 4>& BasicColors() {
    return kBasic;
}

std::uint8_t LevelValue(int level) {
    return kLevels[ClampLevel(level)];
}
std::uint8_t PeriodOf(int speed) {
    return kPeriods[ClampLevel(speed)];
}

bool HasModeStep(int lightingMode) {
    return (lightingMode >= 1 && lightingMode <= 19) ||
           (lightingMode >= 21 && lightingMode <= 29) || lightingMode == 31;
}

int StepInterval(int lightingMode, int speed) {
    if (lightingMode == mode::kMusic) {
        return 2; // the music step ignores the speed
    }
    const IntervalRow* row = IntervalRowOf(lightingMode);
    return row == nullptr ? 0 : (*row)[ClampLevel(speed)];
}

} // namespace vpc::lighting
