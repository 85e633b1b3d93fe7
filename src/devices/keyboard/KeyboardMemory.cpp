#include "KeyboardMemory.h"

#include "CommandSession.h"

#include <algorithm>

namespace vpc::devices::keyboard {

using hid::CCommandChannel;

const char* ToString(ConfigReadStatus status) {
    switch (status) {
    case ConfigReadStatus::Ok:
        return "ok";
    case ConfigReadStatus::NotEnabled:
        return "channel not enabled";
    case ConfigReadStatus::InfoFailed:
        return "information block not read";
    case ConfigReadStatus::BadKeyCount:
        return "key count outside 1..170";
    case ConfigReadStatus::KeyTableFailed:
        return "key table not read";
    case ConfigReadStatus::LedMapFailed:
        return "key LED map not read";
    }
    return "?";
}

ConfigReadStatus KeyboardMemory::ReadConfig(KeyboardConfig& config) {
    config.valid = false;
    if (!m_channel.IsEnabled())
        return ConfigReadStatus::NotEnabled;
    CommandSession session(m_channel);
    std::array<std::uint8_t, CCommandChannel::kInfoBlockSize> info{};
    if (m_channel.ReadInfoBlock(info.data()) != CCommandChannel::kOk)
        return ConfigReadStatus::InfoFailed;
    config.info = info;
    const int keyCount = info[5];
    if (keyCount < 1 || keyCount > kMaxDeviceKeys)
        return ConfigReadStatus::BadKeyCount;
    if (!m_channel.SetBlockSize(static_cast<std::uint16_t>(keyCount * 3)))
        return ConfigReadStatus::BadKeyCount;
    std::array<std::uint8_t, kTableBufferSize> keyTable{};
    std::array<std::uint8_t, kTableBufferSize> ledMap{};
    if (m_channel.ReadKeyTable(keyTable.data()) != CCommandChannel::kOk)
        return ConfigReadStatus::KeyTableFailed;
    if (m_channel.ReadKeyLightMap(ledMap.data()) != CCommandChannel::kOk)
        return ConfigReadStatus::LedMapFailed;
    config.keyCount = keyCount;
    config.macroUnits = info[6];
    config.keyTable = keyTable;
    config.ledMap = ledMap;
    config.maps = BuildKeyMaps(keyTable, ledMap, keyCount);
    config.valid = true;
    return ConfigReadStatus::Ok;
}

int KeyboardMemory::ReadActiveSlot(std::uint8_t& slot) {
    std::uint8_t byte = 0;
    const int result = m_channel.ReadParamMemory(&byte, 1, 0);
    if (result != CCommandChannel::kOk)
        return result;
    if (byte >= kOnboardSlots)
        return CCommandChannel::kStatusError;
    slot = byte;
    return result;
}

int KeyboardMemory::ReadOnboardRecord(std::uint8_t slot, OnboardRecordBytes& record) {
    if (slot >= kOnboardSlots)
        return CCommandChannel::kStatusError;
    OnboardRecordBytes read{};
    const int result = m_channel.ReadParamMemory(read.data(), read.size(),
                                                 std::uint32_t{slot} * kOnboardRecordSize);
    if (result == CCommandChannel::kOk)
        record = read;
    return result;
}

int KeyboardMemory::WriteOnboardRecord(OnboardRecordBytes record, std::uint8_t& slot) {
    CommandSession session(m_channel);
    if (!session.IsOpen())
        return session.BeginResult();
    ReadActiveSlot(slot); // a failed read keeps the slot last known
    if (slot == 0)
        record[0] = 0;
    return m_channel.WriteParamMemory(record.data(), record.size(),
                                      std::uint32_t{slot} * kOnboardRecordSize);
}

int KeyboardMemory::WriteKeyTable(std::span<const std::uint8_t> table, int keyCount, int bank) {
    if (keyCount < 1 || keyCount > kMaxDeviceKeys ||
        table.size() < static_cast<std::size_t>(keyCount) * 3)
        return CCommandChannel::kNoReply;
    std::array<std::uint8_t, kTableBufferSize> buffer{};
    std::copy_n(table.begin(), static_cast<std::size_t>(keyCount) * 3, buffer.begin());
    CommandSession session(m_channel);
    if (!session.IsOpen())
        return session.BeginResult();
    if (!m_channel.SetBlockSize(static_cast<std::uint16_t>(keyCount * 3)))
        return CCommandChannel::kNoReply;
    return m_channel.WriteKeyTable(buffer.data(), bank);
}

int KeyboardMemory::WriteColourBank(std::span<const std::uint8_t> bank, std::uint32_t bankNumber,
                                    std::uint32_t stride) {
    if (bank.empty())
        return CCommandChannel::kNoReply;
    return m_channel.WriteKeyColours(bank.data(), bank.size(), bankNumber, stride);
}

int KeyboardMemory::ReadInfo(std::array<std::uint8_t, CCommandChannel::kInfoBlockSize>& info) {
    return m_channel.ReadInfoBlock(info.data());
}

} // namespace vpc::devices::keyboard
