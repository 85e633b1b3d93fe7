#include "PowerStatus.h"

#include "DeviceTable.h"

#include <algorithm>
#include <array>

namespace vpc::devices {

PowerStatusView DecodePowerStatus(const std::uint8_t* block, std::size_t length,
                                  std::uint16_t modelCode) {
    std::array<std::uint8_t, 64> bytes{};
    if (block)
        std::copy_n(block, std::min<std::size_t>(length, bytes.size()), bytes.begin());
    PowerStatusView view;
    // a battery byte above 100 is a full battery, never a negative progress
    view.batteryPercent = std::min<int>(bytes[0], 100);
    view.progressValue = 100 - view.batteryPercent;
    if (modelCode == kModelKeyboard || modelCode == kModelMouse)
        view.wirelessLogoVisible = bytes[3] != 0;
    switch (bytes[1]) {
    case 0:
        view.chargeImage = "file='power/powering1.png'";
        break;
    case 1:
        view.chargeImage = "file='power/powering.png'";
        break;
    case 2:
        view.chargeImage = "file='power/power.png'";
        break;
    default:
        break;
    }
    if (modelCode == kModelMousePad) {
        switch (bytes[5]) {
        case 1:
            view.phoneTooltip = "Phone_type_iphone";
            view.phoneImage = "file='power/Phone_type_iphone.png'";
            break;
        case 2:
            view.phoneTooltip = "Phone_type_samsung";
            view.phoneImage = "file='power/Phone_type_samsung.png'";
            break;
        case 3:
            view.phoneTooltip = "Phone_type_other";
            view.phoneImage = "file='power/Phone_type_other.png'";
            break;
        default:
            view.phoneTooltip = "Phone_type_no_device";
            view.phoneImage = "file='power/Phone_type_no_device.png'";
            break;
        }
    }
    return view;
}

} // namespace vpc::devices
