// What a code from the keyboard's notification interface asks for: a re-read of the device
// (1025, 1026), a switch of the onboard profile slot (0x10nn, 0x11nn), or nothing.
#pragma once

#include <cstdint>

namespace vpc::devices::keyboard {

inline constexpr std::uint16_t kSyncReread = 1025;
inline constexpr std::uint16_t kSyncRereadReselect = 1026;

enum class SyncAction { None, Reread, SwitchSlot };

struct SyncRequest {
    SyncAction action = SyncAction::None;
    bool reselectProfile = false; // 1026: the profile list reselects and the profile reloads
    std::uint8_t slot = 0;        // SwitchSlot: the code's low four bits
};

constexpr SyncRequest ClassifySyncCode(std::uint16_t code) {
    if (code == kSyncReread)
        return {SyncAction::Reread, false, 0};
    if (code == kSyncRereadReselect)
        return {SyncAction::Reread, true, 0};
    const unsigned high = code >> 8;
    if (code > kSyncReread && (high == 0x10 || high == 0x11))
        return {SyncAction::SwitchSlot, false, static_cast<std::uint8_t>(code & 0x0F)};
    return {};
}

} // namespace vpc::devices::keyboard
