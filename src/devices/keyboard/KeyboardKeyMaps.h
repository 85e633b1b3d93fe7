// The three maps built when a keyboard connects: UI key slot to device position, UI key slot
// to LED number, and device position back to the first UI key slot that holds it.
#pragma once

#include "KeyboardTables.h"

#include <array>
#include <cstdint>
#include <span>

namespace vpc::devices::keyboard {

struct KeyboardKeyMaps {
    // `PositionMap`: UI key slot -> device position, kNoEntry for none.
    std::array<std::uint8_t, kUiKeyCount> position;
    // `LedMap`: UI key slot -> LED number, kNoEntry for none.
    std::array<std::uint8_t, kUiKeyCount> led;
    // Device position -> the first UI key slot mapped to it, kNoEntry for none.
    std::array<std::uint8_t, kTableBufferSize> keyOfPosition;

    KeyboardKeyMaps() { Clear(); }
    void Clear() {
        position.fill(kNoEntry);
        led.fill(kNoEntry);
        keyOfPosition.fill(kNoEntry);
    }
    std::uint8_t PositionOf(int slot) const {
        return slot >= 0 && slot < static_cast<int>(kUiKeyCount)
                   ? position[static_cast<std::size_t>(slot)]
                   : kNoEntry;
    }
    std::uint8_t LedOf(int slot) const {
        return slot >= 0 && slot < static_cast<int>(kUiKeyCount)
                   ? led[static_cast<std::size_t>(slot)]
                   : kNoEntry;
    }
    std::uint8_t KeyAtPosition(int position) const {
        return position >= 0 && position < static_cast<int>(keyOfPosition.size())
                   ? keyOfPosition[static_cast<std::size_t>(position)]
                   : kNoEntry;
    }
};

// `BuildKeyMaps`: each UI slot takes the first of the keyCount positions whose three key
// table bytes equal its `KeyCodeTable` code; its LED is the LED map byte of that position,
// accepted only below min(keyCount, 170). keyCount outside 1..170, or tables shorter than
// keyCount x 3 and keyCount bytes, give empty maps.
KeyboardKeyMaps BuildKeyMaps(std::span<const std::uint8_t> keyTable,
                             std::span<const std::uint8_t> ledMap, int keyCount);

} // namespace vpc::devices::keyboard
