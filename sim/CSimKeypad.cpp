#include "CSimKeypad.h"

#include "SimDescriptors.h"

#include <array>

namespace vpc::sim {

namespace {

// Device positions in the keypad's column order: Esc, Fn, Backspace; Num Lock, /, *, -;
// 7, 8, 9, +; 4, 5, 6; 1, 2, 3; 0, ., Enter; and one unused position.
constexpr std::array<std::array<std::uint8_t, 3>, CSimKeypad::kKeyCount> kFactoryKeys = {{
    {0x20, 0x00, 0x29}, {0xA0, 0x01, 0x00}, {0x20, 0x00, 0x2A}, {0x20, 0x00, 0x53},
    {0x20, 0x00, 0x54}, {0x20, 0x00, 0x55}, {0x20, 0x00, 0x56}, {0x20, 0x00, 0x5F},
    {0x20, 0x00, 0x60}, {0x20, 0x00, 0x61}, {0x20, 0x00, 0x57}, {0x20, 0x00, 0x5C},
    {0x20, 0x00, 0x5D}, {0x20, 0x00, 0x5E}, {0x20, 0x00, 0x59}, {0x20, 0x00, 0x5A},
    {0x20, 0x00, 0x5B}, {0x20, 0x00, 0x62}, {0x20, 0x00, 0x63}, {0x20, 0x00, 0x58},
    {0x20, 0x00, 0x00},
}};

constexpr std::size_t kParamSize = 16 * 64;
constexpr std::size_t kKeyTableSize = 512;
constexpr std::size_t kLightMapSize = 512;
constexpr std::size_t kColourSpace = 65536;
constexpr std::size_t kFrameSize = 512;
constexpr std::size_t kShootSize = 8192;
constexpr std::size_t kStatusSize = 56;
constexpr std::size_t kInfoSize = 34;

} // namespace

std::shared_ptr<CSimKeypad> CSimKeypad::Create() {
    return std::shared_ptr<CSimKeypad>(new CSimKeypad());
}

CSimKeypad::CSimKeypad() {
    DefineRegion(SimRegion::Info, kInfoSize);
    DefineRegion(SimRegion::Param, kParamSize);
    DefineRegion(SimRegion::KeyTable, kKeyTableSize);
    DefineRegion(SimRegion::KeyLightMap, kLightMapSize);
    DefineRegion(SimRegion::Colours, kColourSpace);
    DefineRegion(SimRegion::LightFrame, kFrameSize);
    DefineRegion(SimRegion::Macro, std::size_t{kMacroCapacityUnits} * 128);
    DefineRegion(SimRegion::Shoot, kShootSize);
    DefineRegion(SimRegion::Status, kStatusSize);
    ResetMemory();
}

void CSimKeypad::ResetMemory() {
    std::array<std::uint8_t, kInfoSize> info{};
    info[0] = 0x01; // firmware major
    info[1] = 0x02; // firmware minor
    info[5] = kKeyCount;
    info[6] = kMacroCapacityUnits;
    PokeRegion(SimRegion::Info, 0, info);

    std::array<std::uint8_t, kKeyTableSize> keys{};
    std::array<std::uint8_t, kLightMapSize> leds{};
    for (std::size_t k = 0; k < kFactoryKeys.size(); ++k) {
        keys[k * 3] = kFactoryKeys[k][0];
        keys[k * 3 + 1] = kFactoryKeys[k][1];
        keys[k * 3 + 2] = kFactoryKeys[k][2];
        leds[k] = static_cast<std::uint8_t>(kKeyCount - 1 - k); // LEDs run the other way
    }
    PokeRegion(SimRegion::KeyTable, 0, keys);
    PokeRegion(SimRegion::KeyLightMap, 0, leds);

    std::array<std::uint8_t, kParamSize> param{};
    for (std::size_t p = 0; p < 4; ++p) {
        std::uint8_t* record = param.data() + p * 64;
        record[1] = static_cast<std::uint8_t>(1 + p); // lighting mode
        record[2] = 4;                                // brightness
        record[3] = 2;                                // 4 - speed
        record[5] = 1;                                // multi-colour
        record[6] = 0xFF;
    }
    param[0] = 0; // active profile
    PokeRegion(SimRegion::Param, 0, param);

    std::array<std::uint8_t, kStatusSize> status{};
    status[0] = 100; // battery percent
    status[1] = 2;   // charge state: full
    PokeRegion(SimRegion::Status, 0, status);
}

void CSimKeypad::SetKeyCount(std::uint8_t count) {
    PokeByte(SimRegion::Info, 5, count);
}

void CSimKeypad::SetLedNumber(std::size_t position, std::uint8_t led) {
    PokeByte(SimRegion::KeyLightMap, position, led);
}

void CSimKeypad::SetBrightnessAndSpeed(std::size_t profile, std::uint8_t brightness,
                                       std::uint8_t speedByte) {
    const std::uint8_t bytes[2] = {brightness, speedByte};
    PokeRegion(SimRegion::Param, profile * 64 + 2, bytes);
}

SimUsbIdentity CSimKeypad::Identity(SimLink link) const {
    SimUsbIdentity id;
    id.vendorId = kVendorId;
    id.productId = link == SimLink::Cable ? kCableProductId : kReceiverProductId;
    id.version = 0x0102;
    id.interfaceNumber = kInterfaceNumber;
    id.name = link == SimLink::Cable ? "VORNA PAD QMT58" : "VORNA 2.4G Receiver";
    id.reportDescriptor = KeypadInterfaceDescriptor();
    return id;
}

} // namespace vpc::sim
