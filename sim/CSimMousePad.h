// The simulated lit mouse pad: product 0x1004 on its cable only, with the command and
// notification collections of the family and a status block that reports the phone on its
// charger.
#pragma once

#include "CSimDevice.h"

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

    // Byte 5 of the status block: 0 none, 1 iPhone, 2 Samsung, 3 another phone.
    void SetPhoneOnCharger(std::uint8_t kind);

protected:
    CSimMousePad();
};

} // namespace vpc::sim
