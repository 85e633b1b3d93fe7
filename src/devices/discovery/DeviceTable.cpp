#include "DeviceTable.h"

#include "HidPath.h"

namespace vpc::devices {

namespace {

DeviceIdentity Row(std::uint16_t vendor, std::uint16_t product, std::uint16_t interfaceNumber,
                   std::uint16_t collection, std::uint16_t model, std::uint16_t role,
                   std::uint16_t usagePage, std::uint16_t usage, std::uint16_t hasPartner,
                   std::uint16_t partnerRow) {
    DeviceIdentity row;
    row.vendorId = vendor;
    row.productId = product;
    row.interfaceNumber = interfaceNumber;
    row.collectionNumber = collection;
    row.modelCode = model;
    row.role = role;
    row.usagePage = usagePage;
    row.usage = usage;
    row.hasPartner = hasPartner;
    row.partnerRow = partnerRow;
    return row;
}

} // namespace

const std::array<DeviceIdentity, kSupportedRowCount>& SupportedDeviceTable() {
    static const std::array<DeviceIdentity, kSupportedRowCount> table = {
        Row(0x320F, 0x5055, 1, 4, kModelKeyboard, kRoleCommand, 0xFF1C, 0x92, 1, 2),
        Row(0x320F, 0x5055, 1, 3, kModelKeyboard, kRoleNotification, 0x000C, 0x01, 1, 3),
        Row(0x320F, 0x5088, 1, 4, kModelKeyboardReceiver, kRoleCommand, 0xFF1C, 0x92, 1, 0),
        Row(0x320F, 0x5088, 1, 3, kModelKeyboardReceiver, kRoleNotification, 0x000C, 0x01, 1, 1),
        Row(0x320F, 0x221C, 1, 4, kModelMouse, kRoleCommand, 0xFF1C, 0x92, 1, 6),
        Row(0x320F, 0x221C, 1, 3, kModelMouse, kRoleNotification, 0x000C, 0x01, 1, 7),
        Row(0x320F, 0x221D, 1, 4, kModelMouseReceiver, kRoleCommand, 0xFF1C, 0x92, 1, 4),
        Row(0x320F, 0x221D, 1, 3, kModelMouseReceiver, kRoleNotification, 0x000C, 0x01, 1, 5),
        Row(0x320F, 0x1004, 1, 4, kModelMousePad, kRoleCommand, 0xFF1C, 0x92, 0, 0),
        Row(0x320F, 0x1004, 1, 3, kModelMousePad, kRoleNotification, 0x000C, 0x01, 0, 0),
        Row(0x0C76, 0x1630, 3, 0, kModelHeadset, kRoleCommand, 0x000C, 0x01, 0, 0),
    };
    return table;
}

DeviceKind KindOfModel(std::uint16_t modelCode) {
    switch (modelCode) {
    case kModelKeyboard:
    case kModelKeyboardReceiver:
        return DeviceKind::Keyboard;
    case kModelMouse:
    case kModelMouseReceiver:
        return DeviceKind::Mouse;
    case kModelMousePad:
        return DeviceKind::MousePad;
    case kModelHeadset:
        return DeviceKind::Headset;
    default:
        return DeviceKind::None;
    }
}

const std::array<DeviceOptionRow, kDeviceOptionRowCount>& DeviceOptionTable() {
    static constexpr const char* kEntry = "XML\\CustomControlXML\\DeviceOption.xml";
    static constexpr const char* kGroup = "tab_header_device";
    static constexpr const char* kPower = "device_power_switch";
    static const std::array<DeviceOptionRow, kDeviceOptionRowCount> table = {{
        {kEntry, kGroup, kPower, "mouse", 1, 0x320F, 0x221C, kModelMouse, kRoleCommand},
        {kEntry, kGroup, kPower, "keyboard", 0, 0x320F, 0x5055, kModelKeyboard, kRoleCommand},
        {kEntry, kGroup, kPower, "MousePad", 2, 0x320F, 0x1004, kModelMousePad, kRoleCommand},
        {kEntry, kGroup, kPower, "HD", 3, 0x0C76, 0x1630, kModelHeadset, kRoleCommand},
    }};
    return table;
}

const std::array<DeviceKindRow, kDeviceOptionRowCount>& DeviceKindTable() {
    static const std::array<DeviceKindRow, kDeviceOptionRowCount> table = {{
        {15, 11, true, "XML\\DeviceXml\\mousedevice.xml", "zemra_light"},
        {170, 170, true, "XML\\DeviceXml\\keyboarddevice.xml", "zemra_light"},
        {15, 0, false, "XML\\DeviceXml\\mousepaddevice.xml", "zemra_light"},
        {13, 0, false, "XML\\DeviceXml\\hs6533device.xml", "zemra_light"},
    }};
    return table;
}

std::optional<int> FindDeviceOptionRow(std::uint16_t vendorId, std::uint16_t productId,
                                       std::uint16_t modelCode, std::uint16_t role) {
    const auto& table = DeviceOptionTable();
    for (std::size_t g = 0; g < table.size(); ++g)
        if (table[g].vendorId == vendorId && table[g].productId == productId &&
            table[g].modelCode == modelCode && table[g].role == role)
            return static_cast<int>(g);
    return std::nullopt;
}

} // namespace vpc::devices
