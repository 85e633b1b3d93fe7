#include "CSimMouse.h"

#include "SimDescriptors.h"

namespace vpc::sim {

namespace {

// The buttons' codes in button order (left, right, middle, forward, back, DPI up, DPI down,
// DPI loop, game mode, M8, fire) and the positions the firmware keeps them at.
constexpr std::array<std::array<std::uint8_t, 3>, CSimMouse::kKeyCount> kButtonCodes = {{
    {0x10, 0x01, 0x00},
    {0x10, 0x02, 0x00},
    {0x10, 0x04, 0x00},
    {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00},
    {0x13, 0x01, 0x00},
    {0x13, 0x02, 0x00},
    {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00},
    {0x16, 0x90, 0x01},
    {0x14, 0x78, 0x02},
}};
constexpr std::array<std::size_t, CSimMouse::kKeyCount> kFactoryPositions = {0, 1, 2,  4, 3, 6,
                                                                             5, 7, 10, 9, 8};

constexpr std::size_t kInfoSize = 34;
constexpr std::size_t kKeyTableSize = 512;
constexpr std::size_t kParamSize = CSimMouse::kSlotCount * CSimMouse::kRecordStride;
constexpr std::uint8_t kMacroUnits = 32;

} // namespace

std::shared_ptr<CSimMouse> CSimMouse::Create() {
    return std::shared_ptr<CSimMouse>(new CSimMouse());
}

CSimMouse::CSimMouse() {
    DefineRegion(SimRegion::Info, kInfoSize);
    DefineRegion(SimRegion::Param, kParamSize);
    DefineRegion(SimRegion::KeyTable, kKeyTableSize);
    DefineRegion(SimRegion::KeyLightMap, 512);
    DefineRegion(SimRegion::Colours, 4096);
    DefineRegion(SimRegion::LightFrame, 512);
    DefineRegion(SimRegion::Macro, std::size_t{kMacroUnits} * 128);
    DefineRegion(SimRegion::Shoot, 8192);
    DefineRegion(SimRegion::Status, 56);
    ResetMemory();
}

std::size_t CSimMouse::FactoryPosition(std::size_t button) {
    return button < kFactoryPositions.size() ? kFactoryPositions[button] : 0;
}

void CSimMouse::ResetMemory() {
    std::array<std::uint8_t, kInfoSize> info{};
    info[0] = 0x01; // firmware major
    info[1] = 0x05; // firmware minor
    info[5] = kKeyCount;
    info[6] = kMacroUnits;
    PokeRegion(SimRegion::Info, 0, info);
    SetSensor(kSensorCode, kDpiStep, kSliderMax, kDpiBase);

    std::array<std::uint8_t, kKeyTableSize> keys{};
    for (std::size_t j = 0; j < kKeyCount; ++j)
        for (std::size_t b = 0; b < 3; ++b)
            keys[kFactoryPositions[j] * 3 + b] = kButtonCodes[j][b];
    PokeRegion(SimRegion::KeyTable, 0, keys);

    std::array<std::uint8_t, kParamSize> param{};
    for (std::size_t slot = 0; slot < kSlotCount; ++slot) {
        std::uint8_t* r = param.data() + slot * kRecordStride;
        r[1] = static_cast<std::uint8_t>(slot % 11); // lighting mode
        r[2] = 4;                                    // brightness
        r[3] = 1;                                    // 4 - speed
        r[5] = 0;
        r[6] = 0xE0;
        r[7] = 0x30;
        r[8] = 0x10;
        r[11] = 2; // polling option
        r[12] = 1; // active DPI stage
    }
    param[0] = 0;
    PokeRegion(SimRegion::Param, 0, param);

    std::array<std::uint8_t, 56> status{};
    status[0] = 87; // battery percent
    status[1] = 0;  // discharging
    PokeRegion(SimRegion::Status, 0, status);
}

void CSimMouse::SetSensor(std::uint16_t sensorCode, std::uint8_t step, std::uint16_t sliderMax,
                          std::uint16_t base) {
    const std::uint8_t bytes[7] = {static_cast<std::uint8_t>(sensorCode & 0xFF),
                                   static_cast<std::uint8_t>(sensorCode >> 8),
                                   step,
                                   static_cast<std::uint8_t>(sliderMax & 0xFF),
                                   static_cast<std::uint8_t>(sliderMax >> 8),
                                   static_cast<std::uint8_t>(base & 0xFF),
                                   static_cast<std::uint8_t>(base >> 8)};
    PokeRegion(SimRegion::Info, 9, bytes);
}

std::uint8_t CSimMouse::ActiveSlot() const {
    return Region(SimRegion::Param)[0];
}

std::array<std::uint8_t, CSimMouse::kRecordStride> CSimMouse::Record(std::uint8_t slot) const {
    const std::vector<std::uint8_t> param = Region(SimRegion::Param);
    std::array<std::uint8_t, kRecordStride> record{};
    const std::size_t at = std::size_t{slot} * kRecordStride;
    for (std::size_t i = 0; i < kRecordStride && at + i < param.size(); ++i)
        record[i] = param[at + i];
    return record;
}

void CSimMouse::SetRecordByte(std::uint8_t slot, std::size_t offset, std::uint8_t value) {
    PokeByte(SimRegion::Param, std::size_t{slot} * kRecordStride + offset, value);
}

SimUsbIdentity CSimMouse::Identity(SimLink link) const {
    SimUsbIdentity id;
    id.vendorId = kVendorId;
    id.productId = link == SimLink::Cable ? kCableProductId : kReceiverProductId;
    id.version = 0x0105;
    id.interfaceNumber = kInterfaceNumber;
    id.name = link == SimLink::Cable ? "VORNA Gaming Mouse" : "VORNA 2.4G Mouse Receiver";
    id.reportDescriptor = KeypadInterfaceDescriptor(); // the family's four collections
    return id;
}

} // namespace vpc::sim
