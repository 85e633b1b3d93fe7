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
    std::array<std::uint8_t, 34> info{};
    info[0] = 0x01;
    info[5] = kLedCount;
    PokeRegion(SimRegion::Info, 0, info);
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
