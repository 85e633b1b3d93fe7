// The run-time copy of the supported-device table: which row is bound to which interface
// path. The discovery thread is its only writer; the UI thread reads it under the same lock.
#pragma once

#include "DeviceTable.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vpc::devices {

class CSlotList {
public:
    // A fresh copy of the table, every slot free.
    CSlotList();

    std::size_t Count() const { return kSupportedRowCount; }
    bool IsValid(int slot) const { return slot >= 0 && slot < static_cast<int>(Count()); }

    // A copy of one slot (nothing for an index outside the list).
    std::optional<DeviceSlot> Get(int slot) const;
    bool IsPresent(int slot) const;
    bool AnyFree() const;
    std::size_t PresentCount() const;

    // The first free slot whose vendor, product, interface, collection, usage page and usage
    // equal the candidate's; marks it present with the path. Nothing when all are taken.
    std::optional<int> BindFirstFree(const DeviceIdentity& candidate, const std::string& path);
    // Whether a free slot has these four path numbers (the cheap pre-filter of a pass).
    bool HasFreeSlotFor(std::uint16_t vendorId, std::uint16_t productId,
                        std::uint16_t interfaceNumber, std::uint16_t collection) const;
    // Frees a present slot; false when it was not present.
    bool Release(int slot);
    // Indexes and paths of the present slots.
    std::vector<std::pair<int, std::string>> PresentSlots() const;

    // The partner of a slot when that partner names it back (wired <-> receiver).
    std::optional<int> MutualPartner(int slot) const;
    // The row with this model, role 0, vendor and product (the product's command row).
    std::optional<int> CommandRowOf(const DeviceSlot& slot) const;
    // The identity a device object of this slot's product carries: for a notification slot
    // the product's command slot, for a receiver slot with a mutual partner the wired row's.
    DeviceIdentity OwnerIdentity(int slot) const;

private:
    mutable std::mutex m_mutex;
    std::vector<DeviceSlot> m_slots;
};

} // namespace vpc::devices
