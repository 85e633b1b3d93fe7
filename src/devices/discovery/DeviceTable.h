// The supported-device table: one row per HID interface collection through which a supported
// product is reached, the identity and run-time slot of such a row, and the two device tables.
#pragma once

#include "HidPath.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vpc::devices {

// Model codes of the table's rows.
enum ModelCode : std::uint16_t {
    kModelKeyboard = 1,
    kModelMouse = 2,
    kModelMousePad = 3,
    kModelHub = 5,
    kModelMouseReceiver = 6,
    kModelHeadset = 7,
    kModelKeyboardReceiver = 9,
};

// Interface roles.
inline constexpr std::uint16_t kRoleCommand = 0;
inline constexpr std::uint16_t kRoleNotification = 0xFF;

// Device types (the kind of a device object).
enum class DeviceKind { None = 0, Keyboard = 1, Mouse = 2, MousePad = 3, Headset = 7 };

// Vendor id, product id, interface, collection, model, role, usage page, usage, partner and
// path of one supported interface. Equality compares what identifies the interface only.
struct DeviceIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t interfaceNumber = 0;
    std::uint16_t collectionNumber = 0;
    std::uint16_t modelCode = 0;
    std::uint16_t role = 0;
    std::uint16_t present = 0;
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t hasPartner = 0;
    std::uint16_t partnerRow = 0;
    std::string path;

    bool SameInterface(const DeviceIdentity& other) const {
        return vendorId == other.vendorId && productId == other.productId &&
               interfaceNumber == other.interfaceNumber &&
               collectionNumber == other.collectionNumber && modelCode == other.modelCode &&
               role == other.role && usagePage == other.usagePage && usage == other.usage;
    }
    friend bool operator==(const DeviceIdentity& a, const DeviceIdentity& b) {
        return a.SameInterface(b);
    }
};

// A slot is one table row plus its binding: present and path change at run time.
using DeviceSlot = DeviceIdentity;

inline constexpr std::size_t kSupportedRowCount = 11;
const std::array<DeviceIdentity, kSupportedRowCount>& SupportedDeviceTable();

// The device type a model code belongs to (None for codes of no device class).
DeviceKind KindOfModel(std::uint16_t modelCode);
inline bool IsReceiverModel(std::uint16_t modelCode) {
    return modelCode == kModelKeyboardReceiver || modelCode == kModelMouseReceiver;
}
inline bool IsWiredPartnerModel(std::uint16_t modelCode) {
    return modelCode == kModelKeyboard || modelCode == kModelMouse;
}
// Keyboards and mice: the products with a cable and a receiver connection.
inline bool IsSwitchableKind(DeviceKind kind) {
    return kind == DeviceKind::Keyboard || kind == DeviceKind::Mouse;
}

// Numbers in an interface path ("...vid_320f&pid_5055&mi_01&col04..."), read as every backend
// writes them.
using hid::PathCollectionNumber;
using hid::PathInterfaceNumber;
using hid::PathProductId;
using hid::PathVendorId;

// One row of the device option table: how the device list shows a kind of device.
struct DeviceOptionRow {
    const char* entryLayout;
    const char* tabGroup;
    const char* powerContainer;
    const char* deviceName;
    int lightType;
    std::uint16_t vendorId;
    std::uint16_t productId;
    std::uint16_t modelCode;
    std::uint16_t role;
};

// One row of the device kind table: capacities and layout of a kind of device.
struct DeviceKindRow {
    int ledCapacity;
    int keyCapacity;
    bool hasPowerPanel;
    const char* panelLayout;
    const char* lightingFileBase;
};

inline constexpr std::size_t kDeviceOptionRowCount = 4;
const std::array<DeviceOptionRow, kDeviceOptionRowCount>& DeviceOptionTable();
const std::array<DeviceKindRow, kDeviceOptionRowCount>& DeviceKindTable();
// The option-table row with this vendor, product, model and role.
std::optional<int> FindDeviceOptionRow(std::uint16_t vendorId, std::uint16_t productId,
                                       std::uint16_t modelCode, std::uint16_t role);

} // namespace vpc::devices
