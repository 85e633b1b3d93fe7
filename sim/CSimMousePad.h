// The simulated lit mouse pad: product 0x1004 on its cable only, with the command and
// notification collections of the family and a status block that reports the phone on its
// charger.
#pragma once

#include "CSimDevice.h"

#include <array>

namespace vpc::sim {

class CSimMousePad : public CSimDevice {
public:
    static constexpr std::uint16_t kVendorId = 0x320F;
    static constexpr std::uint16_t kProductId = 0x1004;
    static constexpr int kInterfaceNumber = 1;
    static constexpr std::uint8_t kLedCount = 15;

    static std::shared_ptr<CSimMousePad> Create();

    SimUsbIdentity Identity(SimLink link) const override;
    bool HasReceiver() const override { return false; }

    static constexpr std::size_t kRecordSize = 64;
    static constexpr std::size_t kSlotCount = 16;

    // Factory memories: information block, one lighting record per slot (bytes 9-20 of each
    // the pad's own), slot 0 active.
    void ResetMemory();
    std::uint8_t ActiveSlot() const;
    std::array<std::uint8_t, kRecordSize> Record(std::uint8_t slot) const;
    void SetRecordByte(std::uint8_t slot, std::size_t offset, std::uint8_t value);

    // Byte 5 of the status block: 0 none, 1 iPhone, 2 Samsung, 3 another phone.
    void SetPhoneOnCharger(std::uint8_t kind);

protected:
    CSimMousePad();
};

} // namespace vpc::sim
