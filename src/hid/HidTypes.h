// Plain data types shared by the HID layer: capability record, attributes, decoded data items
// and the status codes that report decoding stores in each item.
#pragma once

#include <cstdint>
#include <vector>

namespace vpc::hid {

enum class HidReportType : std::uint8_t { Input = 0, Output = 1, Feature = 2 };
inline constexpr int kHidReportTypeCount = 3;

// Status values stored in HidDataItem::status (the numbers of the HID parser interface
// this layer replaces, so that logs read the same on every platform).
inline constexpr std::uint32_t kHidStatusSuccess = 0x00110000u;
inline constexpr std::uint32_t kHidStatusInvalidReportLength = 0xC0110003u;
inline constexpr std::uint32_t kHidStatusUsageNotFound = 0xC0110004u;
inline constexpr std::uint32_t kHidStatusBadLogPhyValues = 0xC0110006u;
inline constexpr std::uint32_t kHidStatusIncompatibleReportId = 0xC011000Au;
inline constexpr std::uint32_t kHidStatusNullState = 0x00110001u; // value outside logical range

// Capability record of one top-level collection.
struct HidCaps {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    std::uint16_t inputReportByteLength = 0; // report id byte included
    std::uint16_t outputReportByteLength = 0;
    std::uint16_t featureReportByteLength = 0;
    std::uint16_t numberLinkCollectionNodes = 0;
    std::uint16_t numberInputButtonCaps = 0;
    std::uint16_t numberInputValueCaps = 0;
    std::uint16_t numberInputDataIndices = 0;
    std::uint16_t numberOutputButtonCaps = 0;
    std::uint16_t numberOutputValueCaps = 0;
    std::uint16_t numberOutputDataIndices = 0;
    std::uint16_t numberFeatureButtonCaps = 0;
    std::uint16_t numberFeatureValueCaps = 0;
    std::uint16_t numberFeatureDataIndices = 0;
};

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
};

// One decoded control of a report: a usage list (button item) or one value (value item).
struct HidDataItem {
    bool isButton = false;
    std::uint16_t usagePage = 0;
    std::uint32_t status = kHidStatusSuccess;
    std::uint32_t reportId = 0;
    bool isSet = false;
    // button item
    std::int32_t usageMin = 0;
    std::int32_t usageMax = 0;
    std::uint32_t maxUsageCount = 0;
    std::vector<std::uint16_t> usages; // maxUsageCount entries, 0-terminated when shorter
    // value item
    std::uint16_t usage = 0;
    std::uint32_t rawValue = 0;
    std::int32_t scaledValue = 0;
};

} // namespace vpc::hid
