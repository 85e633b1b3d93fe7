#include "CSimMousePad.h"

#include "SimDescriptors.h"

#include <array>

namespace vpc::sim {

std::shared_ptr<CSimMousePad> CSimMousePad::Create() {
    return std::shared_ptr<CSimMousePad>(new CSimMousePad());
}

CSimMousePad::CSimMousePad() {
    DefineRegion(SimRegion::Info, 34);
    DefineRegion(SimRegion::Param, 16 * 64);
    DefineRegion(SimRegion::Colours, 4096);
    DefineRegion(SimRegion::LightFrame, 512);
    DefineRegion(SimRegion::Status, 56);
    ResetMemory();
}

void CSimMousePad::ResetMemory() {
    std::array<std::uint8_t, 34> info{};
    info[0] = 0x01;
    info[5] = kLedCount;
    PokeRegion(SimRegion::Info, 0, info);
    std::array<std::uint8_t, kSlotCount * kRecordSize> param{};
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        std::uint8_t* r = param.data() + slot * kRecordSize;
        r[1] = static_cast<std::uint8_t>(slot % 9); // lighting mode (device value)
        r[2] = 3;                                   // brightness
        r[3] = 1;                                   // 4 - speed
        r[4] = 1;                                   // direction
        r[5] = 0;
        r[6] = static_cast<std::uint8_t>(0x40 + slot);
        r[7] = 0x80;
        r[8] = static_cast<std::uint8_t>(0xC0 - slot);
        for (std::size_t i = 9; i <= 20; ++i)
            r[i] = static_cast<std::uint8_t>(0xA0 + i + slot); // the pad's own settings
    }
    param[0] = 0;
    PokeRegion(SimRegion::Param, 0, param);
}

std::uint8_t CSimMousePad::ActiveSlot() const {
    return Region(SimRegion::Param)[0];
}

std::array<std::uint8_t, CSimMousePad::kRecordSize> CSimMousePad::Record(std::uint8_t slot) const {
    const std::vector<std::uint8_t> param = Region(SimRegion::Param);
    std::array<std::uint8_t, kRecordSize> record{};
    const std::size_t at = std::size_t{slot} * kRecordSize;
    for (std::size_t i = 0; i < kRecordSize && at + i < param.size(); ++i)
        record[i] = param[at + i];
    return record;
}

void CSimMousePad::SetRecordByte(std::uint8_t slot, std::size_t offset, std::uint8_t value) {
    PokeByte(SimRegion::Param, std::size_t{slot} * kRecordSize + offset, value);
}

void CSimMousePad::SetPhoneOnCharger(std::uint8_t kind) {
    PokeByte(SimRegion::Status, 5, kind);
}

SimUsbIdentity CSimMousePad::Identity(SimLink) const {
    SimUsbIdentity id;
    id.vendorId = kVendorId;
    id.productId = kProductId;
    id.version = 0x0100;
    id.interfaceNumber = kInterfaceNumber;
    id.name = "VORNA RGB Mouse Pad";
    id.reportDescriptor = KeypadInterfaceDescriptor(); // the family's four collections
    return id;
}

} // namespace vpc::sim
