// The simulated 6533 headset: product 0x0C76:0x1630, interface 3 with one vendor collection,
// the family's command memory for its lighting record, and the LED frames it was sent.
#pragma once

#include "CSimDevice.h"

#include <mutex>

namespace vpc::sim {

class CSimHeadset : public CSimDevice {
public:
    static constexpr std::uint16_t kVendorId = 0x0C76;
    static constexpr std::uint16_t kProductId = 0x1630;
    static constexpr int kInterfaceNumber = 3;
    static constexpr std::uint8_t kLedCount = 13;
    static constexpr std::uint8_t kLightReportId = 0xFF;
    static constexpr std::size_t kLightReportSize = 17;

    static std::shared_ptr<CSimHeadset> Create();

    SimUsbIdentity Identity(SimLink link) const override;
    bool HasReceiver() const override { return false; }
    // One collection: paths carry no "&col".
    unsigned CommandCollection() const override { return 0; }
    unsigned NotificationCollection() const override { return 0; }
    SimOutcome HandleOutputReport(SimLink link, std::span<const std::uint8_t> report) override;

    // The 17-byte light reports received, in order.
    std::vector<std::vector<std::uint8_t>> LightReports() const;
    void ClearLightReports();

protected:
    CSimHeadset();

private:
    mutable std::mutex m_lightMutex;
    std::vector<std::vector<std::uint8_t>> m_lightReports;
};

// Its interface: one consumer control collection (0x000C/0x01), as the audio chip has it,
// holding vendor items: the command report (id 4, 63 bytes each way) and the light output
// report (id 0xFF, 16 bytes).
const std::vector<std::uint8_t>& HeadsetInterfaceDescriptor();

} // namespace vpc::sim
