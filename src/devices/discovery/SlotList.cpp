#include "SlotList.h"

namespace vpc::devices {

CSlotList::CSlotList() {
    const auto& table = SupportedDeviceTable();
    m_slots.assign(table.begin(), table.end());
}

std::optional<DeviceSlot> CSlotList::Get(int slot) const {
    if (!IsValid(slot))
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    return m_slots[static_cast<std::size_t>(slot)];
}

bool CSlotList::IsPresent(int slot) const {
    if (!IsValid(slot))
        return false;
    std::lock_guard lock(m_mutex);
    const DeviceSlot& s = m_slots[static_cast<std::size_t>(slot)];
    return s.present != 0 && !s.path.empty();
}

bool CSlotList::AnyFree() const {
    std::lock_guard lock(m_mutex);
    for (const DeviceSlot& s : m_slots)
        if (s.present == 0 && s.path.empty())
            return true;
    return false;
}

std::size_t CSlotList::PresentCount() const {
    std::lock_guard lock(m_mutex);
    std::size_t count = 0;
    for (const DeviceSlot& s : m_slots)
        count += s.present != 0 ? 1 : 0;
    return count;
}

std::optional<int> CSlotList::BindFirstFree(const DeviceIdentity& candidate,
                                            const std::string& path) {
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        DeviceSlot& s = m_slots[i];
        if (s.present != 0 || !s.path.empty())
            continue;
        if (s.vendorId == candidate.vendorId && s.productId == candidate.productId &&
            s.collectionNumber == candidate.collectionNumber &&
            s.interfaceNumber == candidate.interfaceNumber && s.usagePage == candidate.usagePage &&
            s.usage == candidate.usage) {
            s.present = 1;
            s.path = path;
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

bool CSlotList::HasFreeSlotFor(std::uint16_t vendorId, std::uint16_t productId,
                               std::uint16_t interfaceNumber, std::uint16_t collection) const {
    std::lock_guard lock(m_mutex);
    for (const DeviceSlot& s : m_slots)
        if (s.present == 0 && s.path.empty() && s.vendorId == vendorId &&
            s.productId == productId && s.interfaceNumber == interfaceNumber &&
            s.collectionNumber == collection)
            return true;
    return false;
}

bool CSlotList::Release(int slot) {
    if (!IsValid(slot))
        return false;
    std::lock_guard lock(m_mutex);
    DeviceSlot& s = m_slots[static_cast<std::size_t>(slot)];
    const bool wasPresent = s.present != 0;
    s.present = 0;
    s.path.clear();
    return wasPresent;
}

std::vector<std::pair<int, std::string>> CSlotList::PresentSlots() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::pair<int, std::string>> present;
    for (std::size_t i = 0; i < m_slots.size(); ++i)
        if (m_slots[i].present != 0)
            present.emplace_back(static_cast<int>(i), m_slots[i].path);
    return present;
}

std::optional<int> CSlotList::MutualPartner(int slot) const {
    if (!IsValid(slot))
        return std::nullopt;
    std::lock_guard lock(m_mutex);
    const DeviceSlot& s = m_slots[static_cast<std::size_t>(slot)];
    if (s.hasPartner == 0 || s.partnerRow >= m_slots.size())
        return std::nullopt;
    const DeviceSlot& partner = m_slots[s.partnerRow];
    if (partner.hasPartner == 0 || partner.partnerRow != static_cast<std::uint16_t>(slot))
        return std::nullopt;
    return static_cast<int>(s.partnerRow);
}

std::optional<int> CSlotList::CommandRowOf(const DeviceSlot& slot) const {
    std::lock_guard lock(m_mutex);
    for (std::size_t i = 0; i < m_slots.size(); ++i) {
        const DeviceSlot& s = m_slots[i];
        if (s.modelCode == slot.modelCode && s.role == kRoleCommand &&
            s.vendorId == slot.vendorId && s.productId == slot.productId)
            return static_cast<int>(i);
    }
    return std::nullopt;
}

DeviceIdentity CSlotList::OwnerIdentity(int slot) const {
    auto s = Get(slot);
    if (!s)
        return {};
    int index = slot;
    if (s->role == kRoleNotification) {
        if (auto command = CommandRowOf(*s))
            index = *command;
    }
    if (IsReceiverModel(s->modelCode))
        if (auto partner = MutualPartner(index))
            index = *partner;
    auto owner = Get(index);
    return owner ? *owner : *s;
}

} // namespace vpc::devices
