#include "SimKeypadMemory.h"

#include <algorithm>

namespace vpc::sim {

std::uint8_t SimKeypadMemory::KeyCount() const {
    const std::vector<std::uint8_t> info = m_device.Region(SimRegion::Info);
    return info.size() > 5 ? info[5] : 0;
}

std::uint8_t SimKeypadMemory::MacroUnits() const {
    const std::vector<std::uint8_t> info = m_device.Region(SimRegion::Info);
    return info.size() > 6 ? info[6] : 0;
}

SimKeypadMemory::KeyCode SimKeypadMemory::KeyAt(std::size_t position) const {
    const std::vector<std::uint8_t> table = m_device.Region(SimRegion::KeyTable);
    KeyCode code{};
    if (position * 3 + 2 < table.size())
        std::copy_n(table.begin() + static_cast<std::ptrdiff_t>(position * 3), 3, code.begin());
    return code;
}

void SimKeypadMemory::SetKeyAt(std::size_t position, const KeyCode& code) {
    m_device.PokeRegion(SimRegion::KeyTable, position * 3, code);
}

std::optional<std::size_t> SimKeypadMemory::PositionOf(const KeyCode& code) const {
    const std::size_t count = KeyCount();
    for (std::size_t k = 0; k < count; ++k)
        if (KeyAt(k) == code)
            return k;
    return std::nullopt;
}

std::uint8_t SimKeypadMemory::LedAt(std::size_t position) const {
    const std::vector<std::uint8_t> map = m_device.Region(SimRegion::KeyLightMap);
    return position < map.size() ? map[position] : 0;
}

std::uint8_t SimKeypadMemory::ActiveSlot() const {
    const std::vector<std::uint8_t> param = m_device.Region(SimRegion::Param);
    return param.empty() ? 0 : param[0];
}

SimKeypadMemory::Record SimKeypadMemory::OnboardRecord(std::uint8_t slot) const {
    const std::vector<std::uint8_t> param = m_device.Region(SimRegion::Param);
    Record record{};
    const std::size_t offset = std::size_t{slot} * kRecordSize;
    if (offset + kRecordSize <= param.size())
        std::copy_n(param.begin() + static_cast<std::ptrdiff_t>(offset), kRecordSize,
                    record.begin());
    return record;
}

void SimKeypadMemory::SetOnboardRecord(std::uint8_t slot, const Record& record) {
    m_device.PokeRegion(SimRegion::Param, std::size_t{slot} * kRecordSize, record);
}

void SimKeypadMemory::SetRecordMode(std::uint8_t slot, std::uint8_t mode) {
    m_device.PokeByte(SimRegion::Param, std::size_t{slot} * kRecordSize + 1, mode);
}

std::vector<std::uint8_t> SimKeypadMemory::ColourBank(std::uint32_t bank, std::uint32_t stride,
                                                      std::size_t length) const {
    const std::vector<std::uint8_t> colours = m_device.Region(SimRegion::Colours);
    const std::size_t offset = std::size_t{bank} * stride;
    if (offset >= colours.size())
        return {};
    const std::size_t n = std::min(length, colours.size() - offset);
    return {colours.begin() + static_cast<std::ptrdiff_t>(offset),
            colours.begin() + static_cast<std::ptrdiff_t>(offset + n)};
}

void SimKeypadMemory::RequestSync(bool reselectProfile) {
    m_device.SendNotification(reselectProfile ? kSyncRereadReselect : kSyncReread);
}

void SimKeypadMemory::SwitchSlotOnDevice(std::uint8_t slot, bool fromFnLayer) {
    m_device.PokeByte(SimRegion::Param, 0, slot);
    const std::uint16_t code =
        static_cast<std::uint16_t>((fromFnLayer ? 0x1100u : 0x1000u) | (slot & 0x0Fu));
    m_device.SendNotification(code);
}

} // namespace vpc::sim
