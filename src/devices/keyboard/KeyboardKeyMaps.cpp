#include "KeyboardKeyMaps.h"

#include <algorithm>

namespace vpc::devices::keyboard {

KeyboardKeyMaps BuildKeyMaps(std::span<const std::uint8_t> keyTable,
                             std::span<const std::uint8_t> ledMap, int keyCount) {
    KeyboardKeyMaps maps;
    if (keyCount < 1 || keyCount > kMaxDeviceKeys)
        return maps;
    const auto n = static_cast<std::size_t>(keyCount);
    if (keyTable.size() < n * 3 || ledMap.size() < n)
        return maps;
    const auto& codes = KeyCodeTable();
    const std::uint8_t ledLimit = static_cast<std::uint8_t>(std::min(keyCount, kMaxDeviceKeys));
    for (std::size_t slot = 0; slot < kUiKeyCount; ++slot) {
        const data::KeyAssignment& code = codes[slot];
        for (std::size_t k = 0; k < n; ++k) {
            if (keyTable[k * 3] != code.type || keyTable[k * 3 + 1] != code.code1 ||
                keyTable[k * 3 + 2] != code.code2)
                continue;
            maps.position[slot] = static_cast<std::uint8_t>(k);
            if (ledMap[k] < ledLimit)
                maps.led[slot] = ledMap[k];
            if (maps.keyOfPosition[k] == kNoEntry)
                maps.keyOfPosition[k] = static_cast<std::uint8_t>(slot);
            break;
        }
    }
    return maps;
}

} // namespace vpc::devices::keyboard
