// The keyboard's constant key tables: the code every UI key slot stands for, the keypad's
// keys in panel order, and the limits of the UI key slots and the device's key positions.
#pragma once

#include "KeyAssignment.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace vpc::devices::keyboard {

// UI key slots 0..169, the same for every keyboard model.
inline constexpr std::size_t kUiKeyCount = 170;
// Map entries that name no position or LED.
inline constexpr std::uint8_t kNoEntry = 255;
// Largest key count a device may report (key table of N x 3 bytes within 512).
inline constexpr int kMaxDeviceKeys = 170;
// Onboard profile slots the device can have (the sync codes carry four bits).
inline constexpr int kOnboardSlots = 16;
inline constexpr std::size_t kOnboardRecordSize = 64;
// Buffers of the key table, the key LED map and a colour bank.
inline constexpr std::size_t kTableBufferSize = 512;

// `KeyCodeTable`: the code of the key that UI slot i stands for.
const std::array<data::KeyAssignment, kUiKeyCount>& KeyCodeTable();

// `KeyOrderList`: the keypad's keys in panel order, 170 for a gap.
inline constexpr std::array<std::uint8_t, 21> kKeypadKeyOrder = {
    34, 110, 0, 170, 38, 59, 76, 97, 116, 117, 118, 119, 41, 40, 39, 60, 77, 98, 99, 78, 61};

// UI key slot of the Fn key.
inline constexpr int kFnKeySlot = 110;

} // namespace vpc::devices::keyboard
