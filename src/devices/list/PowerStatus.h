// What the power panel shows for a status block: battery text and progress, the wireless logo,
// the charge image and, on a mouse pad, the phone on its charger. Free of widgets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vpc::devices {

struct PowerStatusView {
    int batteryPercent = 0;                  // shown as "<n>%", held to 0..100
    int progressValue = 0;                   // 100 - percent, never negative
    std::optional<bool> wirelessLogoVisible; // keyboards and mice only
    std::optional<std::string> chargeImage;  // nothing for an unknown charge state
    std::optional<std::string> phoneTooltip; // mouse pads only
    std::optional<std::string> phoneImage;

    std::string BatteryText() const { return std::to_string(batteryPercent) + "%"; }
};

// The status block of ReadStatusBlock (longer input is cut to 64 bytes, shorter is read as
// zero-filled) for a device of this model code.
PowerStatusView DecodePowerStatus(const std::uint8_t* block, std::size_t length,
                                  std::uint16_t modelCode);

} // namespace vpc::devices
