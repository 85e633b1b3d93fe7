#include "CSimHeadset.h"

#include <array>

namespace vpc::sim {

const std::vector<std::uint8_t>& HeadsetInterfaceDescriptor() {
    static const std::vector<std::uint8_t> descriptor = {
        0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01,                   // consumer control collection
        0x06, 0x1C, 0xFF,                                     // the chip's vendor items in it
        0x85, 0x04, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, // command report
        0x75, 0x08, 0x95, 0x3F, 0x81, 0x02, 0x09, 0x02, 0x95, 0x3F,
        0x91, 0x02, 0x85, 0xFF, 0x09, 0x03, 0x95, 0x10, 0x91, 0x02, // light report
        0xC0};
    return descriptor;
}

std::shared_ptr<CSimHeadset> CSimHeadset::Create() {
    return std::shared_ptr<CSimHeadset>(new CSimHeadset());
}

CSimHeadset::CSimHeadset() {
    DefineRegion(SimRegion::Info, 34);
    DefineRegion(SimRegion::Param, 16 * 64);
    DefineRegion(SimRegion::Status, 56);
    std::array<std::uint8_t, 34> info{};
    info[0] = 0x01;
    info[5] = kLedCount;
    PokeRegion(SimRegion::Info, 0, info);
}

SimUsbIdentity CSimHeadset::Identity(SimLink) const {
    SimUsbIdentity id;
    id.vendorId = kVendorId;
    id.productId = kProductId;
    id.version = 0x0200;
    id.interfaceNumber = kInterfaceNumber;
    id.name = "VORNA 6533 Gaming Headset";
    id.reportDescriptor = HeadsetInterfaceDescriptor();
    return id;
}

SimOutcome CSimHeadset::HandleOutputReport(SimLink link, std::span<const std::uint8_t> report) {
    if (!report.empty() && report[0] == kLightReportId) {
        if (report.size() == kLightReportSize) {
            const std::lock_guard lock(m_lightMutex);
            m_lightReports.emplace_back(report.begin(), report.end());
        }
        return {};
    }
    return CSimDevice::HandleOutputReport(link, report);
}

std::vector<std::vector<std::uint8_t>> CSimHeadset::LightReports() const {
    const std::lock_guard lock(m_lightMutex);
    return m_lightReports;
}

void CSimHeadset::ClearLightReports() {
    const std::lock_guard lock(m_lightMutex);
    m_lightReports.clear();
}

} // namespace vpc::sim
