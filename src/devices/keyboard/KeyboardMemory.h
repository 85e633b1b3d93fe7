// Reads and writes the keyboard's device memories through its command channel: the
// information block, key table and key LED map at connection, the onboard profile records
// and their slot byte, the key table and the custom colour banks. Free of widgets.
#pragma once

#include "KeyboardKeyMaps.h"
#include "OnboardRecord.h"

#include "CCommandChannel.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vpc::devices::keyboard {

// What the keyboard learnt from the device at connection.
struct KeyboardConfig {
    // False until a whole read succeeded with a key count in 1..170; while false nothing
    // that depends on it (key table, colour banks) is written.
    bool valid = false;
    int keyCount = 0;
    std::uint8_t macroUnits = 0; // information byte 6: macro store capacity / 128
    std::array<std::uint8_t, hid::CCommandChannel::kInfoBlockSize> info{};
    std::array<std::uint8_t, kTableBufferSize> keyTable{};
    std::array<std::uint8_t, kTableBufferSize> ledMap{};
    KeyboardKeyMaps maps;
};

enum class ConfigReadStatus {
    Ok,
    NotEnabled,
    InfoFailed,
    BadKeyCount,
    KeyTableFailed,
    LedMapFailed
};
const char* ToString(ConfigReadStatus status);

class KeyboardMemory {
public:
    explicit KeyboardMemory(hid::CCommandChannel& channel) : m_channel(channel) {}

    // `ReadDeviceConfig`: one exchange reading the information block, then (key count in
    // 1..170 only) the key table and the key LED map, and building the maps. On any failure
    // config keeps its contents except valid, which becomes false.
    ConfigReadStatus ReadConfig(KeyboardConfig& config);

    // Parameter byte 0: the active onboard slot. A value of kOnboardSlots or more is refused
    // (-102, as a device error) and slot keeps its value.
    int ReadActiveSlot(std::uint8_t& slot);
    int ReadOnboardRecord(std::uint8_t slot, OnboardRecordBytes& record);

    // One exchange: the device's active slot is read first (slot keeps its value when that
    // read fails), then the record is written at slot x 64. In slot 0 byte 0 is the active
    // slot byte itself and is written as 0. Returns the device's answer.
    int WriteOnboardRecord(OnboardRecordBytes record, std::uint8_t& slot);

    // One exchange writing keyCount x 3 bytes of table into block `bank`.
    int WriteKeyTable(std::span<const std::uint8_t> table, int keyCount, int bank);

    // Colour bank `bank` at bank x stride (a stand-alone command, no exchange).
    int WriteColourBank(std::span<const std::uint8_t> bank, std::uint32_t bankNumber,
                        std::uint32_t stride);

    // Information block only (the key download checks the key count again).
    int ReadInfo(std::array<std::uint8_t, hid::CCommandChannel::kInfoBlockSize>& info);

    hid::CCommandChannel& Channel() { return m_channel; }

private:
    hid::CCommandChannel& m_channel;
};

} // namespace vpc::devices::keyboard
