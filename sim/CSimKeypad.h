// The simulated 21-key tri-mode keypad: product 0x5055 on its cable and 0x5088 through its
// receiver, with the memories its firmware keeps.
#pragma once

#include "CSimDevice.h"

namespace vpc::sim {

class CSimKeypad : public CSimDevice {
public:
    static constexpr std::uint16_t kVendorId = 0x320F;
    static constexpr std::uint16_t kCableProductId = 0x5055;
    static constexpr std::uint16_t kReceiverProductId = 0x5088;
    static constexpr int kInterfaceNumber = 1;
    static constexpr std::uint8_t kKeyCount = 21;
    static constexpr std::uint8_t kMacroCapacityUnits = 32; // x 128 bytes

    static std::shared_ptr<CSimKeypad> Create();

    SimUsbIdentity Identity(SimLink link) const override;

    // Factory memory contents: info block, key table, LED map, four onboard records, status.
    void ResetMemory();
    // Hostile-value helpers: the key count byte of the information block, one LED map entry and
    // the lighting bytes of a parameter record.
    void SetKeyCount(std::uint8_t count);
    void SetLedNumber(std::size_t position, std::uint8_t led);
    // The brightness byte and the speed byte (4 - speed) of a profile's parameter record.
    void SetBrightnessAndSpeed(std::size_t profile, std::uint8_t brightness,
                               std::uint8_t speedByte);

protected:
    CSimKeypad();
};

} // namespace vpc::sim
