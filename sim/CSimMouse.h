// The simulated mouse: product 0x221C on its cable and 0x221D through its receiver, with its
// information block (sensor, DPI step, slider maximum, DPI base), 11-button key table, 15 LEDs,
// 128-byte onboard records and active slot, and status block.
#pragma once

#include "CSimDevice.h"

#include <array>

namespace vpc::sim {

class CSimMouse : public CSimDevice {
public:
    static constexpr std::uint16_t kVendorId = 0x320F;
    static constexpr std::uint16_t kCableProductId = 0x221C;
    static constexpr std::uint16_t kReceiverProductId = 0x221D;
    static constexpr int kInterfaceNumber = 1;
    static constexpr std::uint8_t kKeyCount = 11;
    static constexpr std::size_t kRecordStride = 128;
    static constexpr std::size_t kSlotCount = 8;
    // Factory sensor fields: a sensor other than the two-rate one, 50 DPI per position from
    // 50 DPI, up to position 519 (26000 DPI).
    static constexpr std::uint16_t kSensorCode = 3395;
    static constexpr std::uint8_t kDpiStep = 50;
    static constexpr std::uint16_t kSliderMax = 519;
    static constexpr std::uint16_t kDpiBase = 50;

    static std::shared_ptr<CSimMouse> Create();

    SimUsbIdentity Identity(SimLink link) const override;

    void ResetMemory();
    // Information block bytes 9-15.
    void SetSensor(std::uint16_t sensorCode, std::uint8_t step, std::uint16_t sliderMax,
                   std::uint16_t base);
    // The factory position of button j (0-10) in the key table.
    static std::size_t FactoryPosition(std::size_t button);
    // Parameter byte 0 and one slot's record (the first 128 bytes at slot x 128).
    std::uint8_t ActiveSlot() const;
    std::array<std::uint8_t, kRecordStride> Record(std::uint8_t slot) const;
    void SetRecordByte(std::uint8_t slot, std::size_t offset, std::uint8_t value);

protected:
    CSimMouse();
};

} // namespace vpc::sim
