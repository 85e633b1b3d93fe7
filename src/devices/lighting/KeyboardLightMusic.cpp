// Music-reactive steps of the keyboard lighting engine (mode 21).
#include "KeyboardLightEngine.h"

#include "LightTables.h"

#include <algorithm>
#include <array>

namespace vpc::lighting {
namespace {

constexpr std::int64_t kSilence = 600;
constexpr std::uint8_t kAfterglowLimit = 10; // keys at 10 or more still show the bar colour

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) {
        --q;
    }
    return q;
}

std::int64_t MeanHeight(const std::array<std::int32_t, kAudioBands>& bands) {
    std::int64_t sum = 0;
    for (const std::int32_t level : bands) {
        sum += MusicHeight(level, true);
    }
    return sum / kAudioBands;
}

constexpr std::array<int, 6> kRowGroups = {2, 3, 3, 4, 5, 7};
constexpr std::array<int, 6> kRowGroupsB = {2, 2, 3, 4, 5, 5};

} // namespace

std::int64_t MusicHeight(std::int32_t level, bool capAt500) {
    const std::int64_t scaled = static_cast<std::int64_t>(std::max(level, 0)) * 600 / 2000;
    if (capAt500 && scaled > 600) {
        return 500;
    }
    return kSilence - scaled;
}

void KeyboardLightEngine::RunBeatDetector(const Bands& levels) {
    const std::int64_t mean = MeanHeight(levels);
    beatTotal_ += static_cast<int>(25 - mean * 25 / 600);
    if (beatTotal_ >= kBeatThreshold) {
        beatTotal_ = 0;
        StartRipple(layout_.beatRippleKey, 1);
    }
}

void KeyboardLightEngine::StepMusic() {
    // Each step takes the latest levels and clears them: no new levels means silence.
    const Bands bands = audioLevels_;
    audioLevels_.fill(0);
    switch (audio_.audioMode) {
    case 0:
        StepMusicColumns(bands, false);
        break;
    case 1:
        StepMusicMirrorBars(bands);
        break;
    case 2:
        StepMusicBeatRipple();
        break;
    case 3:
        StepMusicLoudness(bands);
        break;
    case 4:
        StepMusicColumns(bands, true);
        break;
    case 5:
        StepMusicRowGroups(bands, kRowGroups);
        break;
    case 6:
        StepMusicRowGroups(bands, kRowGroupsB);
        break;
    default:
        break;
    }
}

Rgb KeyboardLightEngine::MusicBarColor(int wheelIndex) const {
    return audio_.sevenColor ? ColorWheel()[static_cast<std::size_t>(wheelIndex % kWheelSize)]
                             : audio_.foreground;
}

void KeyboardLightEngine::PaintMusicKey(std::uint8_t key, const Rgb& barColor) {
    if (!IsLight(key)) {
        return;
    }
    if (intensity_[key] >= kAfterglowLimit) {
        Light(key, barColor, Scale(Level(), intensity_[key]));
    } else {
        Light(key, audio_.background, Level());
    }
}

void KeyboardLightEngine::DecayUnlessAboveBright(std::uint8_t brightLimit) {
    for (int x = 0; x < kMatrixColumns; ++x) {
        for (int r = 0; r < kMatrixRows; ++r) {
            const std::uint8_t key = layout_.KeyAt(x, r);
            if (!IsLight(key)) {
                continue;
            }
            const std::uint8_t above = layout_.KeyAt(x, r - 1);
            if (IsLight(above) && intensity_[above] >= brightLimit) {
                continue;
            }
            FadeLed(key, 21);
        }
    }
}

void KeyboardLightEngine::StepMusicColumns(const Bands& bands, bool falling) {
    step_ = CyclicStep(settings_.direction != 0, kWheelSize, step_, 1);
    DecayUnlessAboveBright(falling ? 5 : kAfterglowLimit);
    for (int x = 0; x < kMatrixColumns; ++x) {
        const int band = falling ? x + 1 : x;
        const std::int64_t height = MusicHeight(bands[static_cast<std::size_t>(band)], false);
        const std::int64_t top =
            std::clamp<std::int64_t>(FloorDiv((height + 100) * 6, 600), 0, kMatrixRows);
        bool lightBar = top < kMatrixRows;
        if (falling) {
            // The lowest key of the column holds the latch until it has faded.
            std::uint8_t bottom = kNoKey;
            for (int r = kMatrixRows - 1; r >= 0 && !IsLight(bottom); --r) {
                bottom = layout_.KeyAt(x, r);
            }
            std::uint8_t& latch = columnLatches_[static_cast<std::size_t>(x)];
            if (latch != 0 && (!IsLight(bottom) || intensity_[bottom] < 10)) {
                latch = 0;
            }
            if (latch != 0) {
                lightBar = false;
            } else if (lightBar) {
                latch = 1;
            }
        }
        if (lightBar) {
            for (auto r = static_cast<int>(top); r < kMatrixRows; ++r) {
                const std::uint8_t key = layout_.KeyAt(x, r);
                if (IsLight(key)) {
                    intensity_[key] = 255;
                }
            }
        }
        const Rgb color = MusicBarColor(step_ + 10 * x);
        for (int r = 0; r < kMatrixRows; ++r) {
            PaintMusicKey(layout_.KeyAt(x, r), color);
        }
    }
}

void KeyboardLightEngine::StepMusicMirrorBars(const Bands& bands) {
    step_ = CyclicStep(settings_.direction != 0, kWheelSize, step_, 1);
    DecayUnlessAboveBright(kAfterglowLimit);
    const int width = std::max(layout_.columnsUsed, 1);
    const int half = (width + 1) / 2;
    for (int r = 0; r < kMatrixRows; ++r) {
        const int leftBand = (3 * r) % kAudioBands;
        const int rightBand = (3 * r + 1) % kAudioBands;
        auto barLength = [&](int band) {
            const std::int64_t height = MusicHeight(bands[static_cast<std::size_t>(band)], true);
            return static_cast<int>(std::clamp<std::int64_t>((600 - height) * half / 600, 0, half));
        };
        const int left = barLength(leftBand);
        const int right = barLength(rightBand);
        for (int x = 0; x < width; ++x) {
            const bool inBar = x < left || x >= width - right;
            const std::uint8_t key = layout_.KeyAt(x, r);
            if (inBar && IsLight(key)) {
                intensity_[key] = 255;
            }
            const int distance = std::min(x, width - 1 - x);
            PaintMusicKey(key, MusicBarColor(step_ + 10 * distance));
        }
    }
}

void KeyboardLightEngine::StepMusicBeatRipple() {
    DecayUnlessAboveBright(kAfterglowLimit);
    for (const std::uint8_t key : layout_.keys) {
        colorIndexes_[key] = CyclicStep(true, kWheelSize, colorIndexes_[key], 9);
    }
    StampRippleFronts();
    fronts_.Advance();
    for (const std::uint8_t key : layout_.keys) {
        PaintMusicKey(key, audio_.sevenColor ? ColorWheel()[colorIndexes_[key] % kWheelSize]
                                             : audio_.foreground);
    }
}

void KeyboardLightEngine::StepMusicLoudness(const Bands& bands) {
    const auto k = static_cast<int>(MeanHeight(bands) * 20 / 600);
    step_ = CyclicStep(settings_.direction != 0, kWheelSize, step_, k);
    for (int r = 0; r < kBandRows; ++r) {
        const Rgb color = MusicBarColor(step_ + 9 * (r + 1));
        for (const std::uint8_t entry : layout_.bands[static_cast<std::size_t>(r)]) {
            const std::uint8_t key = layout_.KeyOrderLookup(entry);
            if (!IsLight(key)) {
                continue;
            }
            if (r < 20 - k) {
                intensity_[key] = 255;
            } else {
                FadeLed(key, 0);
            }
            PaintMusicKey(key, color);
        }
    }
}

void KeyboardLightEngine::StepMusicRowGroups(const Bands& bands, std::span<const int> groupSizes) {
    step_ = CyclicStep(settings_.direction != 0, kWheelSize, step_, 1);
    DecayUnlessAboveBright(kAfterglowLimit);
    std::array<std::int64_t, kMatrixRows> groupLevels{};
    std::size_t band = 0;
    for (std::size_t g = 0; g < groupLevels.size() && g < groupSizes.size(); ++g) {
        std::int64_t sum = 0;
        for (int i = 0; i < groupSizes[g] && band < kAudioBands; ++i, ++band) {
            sum += std::max(bands[band], 0);
        }
        groupLevels[g] = sum / 3;
    }
    for (int r = 0; r < kMatrixRows; ++r) {
        const std::int64_t level = std::min<std::int64_t>(groupLevels[5 - r], INT32_MAX);
        const std::int64_t height = MusicHeight(static_cast<std::int32_t>(level), true);
        // The bar grows from column 0: 23 - floor((h * 23 + 2300) / 600) columns long.
        const std::int64_t length = std::clamp<std::int64_t>(
            kMatrixColumns - FloorDiv(height * 23 + 2300, 600), 0, kMatrixColumns);
        for (int x = 0; x < kMatrixColumns; ++x) {
            const std::uint8_t key = layout_.KeyAt(x, r);
            if (x < length && IsLight(key)) {
                intensity_[key] = 255;
            }
            PaintMusicKey(key, MusicBarColor(step_ + 3 * x));
        }
    }
}

} // namespace vpc::lighting
