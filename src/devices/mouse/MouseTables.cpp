#include "MouseTables.h"

#include <algorithm>
#include <charconv>

namespace vpc::devices::mouse {

const std::array<KeyCode, kButtonCount>& MouseKeyCodeTable() {
    static constexpr std::array<KeyCode, kButtonCount> kTable = {{
        {0x10, 0x01, 0x00}, // left
        {0x10, 0x02, 0x00}, // right
        {0x10, 0x04, 0x00}, // middle
        {0x10, 0x10, 0x00}, // forward
        {0x10, 0x08, 0x00}, // back
        {0x13, 0x01, 0x00}, // DPI up
        {0x13, 0x02, 0x00}, // DPI down
        {0x13, 0x03, 0x00}, // DPI loop
        {0xA0, 0x1B, 0x00}, // game mode
        {0x16, 0x90, 0x01}, // M8
        {0x14, 0x78, 0x02}, // fire
    }};
    return kTable;
}

const std::array<std::array<int, 3>, kGroupCount>& MouseLedGroups() {
    static constexpr std::array<std::array<int, 3>, kGroupCount> kGroups = {{
        {0, 13, -1},
        {1, 12, -1},
        {2, 11, -1},
        {3, 10, -1},
        {4, 9, -1},
        {5, 8, -1},
        {6, 14, 7},
    }};
    return kGroups;
}

int MouseStepInterval(int speed) {
    static constexpr std::array<int, 5> kIntervals = {28, 23, 18, 13, 7};
    return kIntervals[static_cast<std::size_t>(std::clamp(speed, 0, 4))];
}

std::array<std::uint8_t, kButtonCount> FindButtonPositions(std::span<const std::uint8_t> keyTable,
                                                           int keyCount) {
    std::array<std::uint8_t, kButtonCount> positions{};
    positions.fill(kNoPosition);
    const int usable = std::min<int>(keyCount, static_cast<int>(keyTable.size() / 3));
    for (int j = 0; j < kButtonCount; ++j) {
        const KeyCode& code = MouseKeyCodeTable()[static_cast<std::size_t>(j)];
        for (int k = 0; k < usable && k < kNoPosition; ++k) {
            const std::size_t at = static_cast<std::size_t>(k) * 3;
            if (keyTable[at] == code[0] && keyTable[at + 1] == code[1] &&
                keyTable[at + 2] == code[2]) {
                positions[static_cast<std::size_t>(j)] = static_cast<std::uint8_t>(k);
                break;
            }
        }
    }
    return positions;
}

DpiScale DpiScale::FromInfoBlock(std::span<const std::uint8_t> info) {
    DpiScale scale;
    if (info.size() < 16)
        return scale;
    const auto word = [&](std::size_t at) {
        return static_cast<std::uint16_t>(info[at] | (info[at + 1] << 8));
    };
    scale.sensorCode = word(9);
    scale.step = info[11];
    scale.sliderMax = word(12);
    scale.base = word(14);
    return scale;
}

int DpiScale::ToDpi(int position) const {
    if (sensorCode == kTwoRateSensor && position > kTwoRateKnee)
        return step * kTwoRateKnee + position * kTwoRateStepDpi + base -
               kTwoRateKnee * kTwoRateStepDpi;
    return position * step + base;
}

std::optional<int> DpiScale::ToPosition(std::string_view text) const {
    if (!IsUsable())
        return std::nullopt;
    // the number the text starts with, as the edit box holds digits only; none counts as 0
    const std::size_t first = text.find_first_not_of(' ');
    long long typed = 0;
    if (first != std::string_view::npos) {
        const std::string_view digits = text.substr(first);
        std::from_chars(digits.data(), digits.data() + digits.size(), typed);
    }
    typed = std::clamp<long long>(typed, 0, 1'000'000);
    const long long n = std::max<long long>(typed, base);
    long long position = 0;
    if (sensorCode == kTwoRateSensor && n > kTwoRateTextKnee)
        position = (n - base - kTwoRateTextKnee) / kTwoRateStepDpi + kTwoRateKnee;
    else
        position = (n - base) / step;
    return static_cast<int>(std::clamp<long long>(position, 0, sliderMax));
}

} // namespace vpc::devices::mouse
