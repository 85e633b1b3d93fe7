// Parser for binary HID report descriptors: splits an interface's descriptor into its
// top-level collections with their capability records, and decodes received reports.
#pragma once

#include "HidTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vpc::hid {

// One button or value capability of a main item.
struct HidCapRecord {
    HidReportType reportType = HidReportType::Input;
    std::uint16_t usagePage = 0;
    std::uint8_t reportId = 0;
    bool isButton = false;
    bool isRange = false;
    bool isArray = false; // array (selector) fields rather than variable fields
    std::uint16_t usageMin = 0;
    std::uint16_t usageMax = 0;
    std::uint32_t bitOffset = 0; // of the first field, counted after the report id byte
    std::uint16_t bitSize = 0;
    std::uint16_t reportCount = 0;
    std::int64_t logicalMin = 0;
    std::int64_t logicalMax = 0;
    std::int64_t physicalMin = 0;
    std::int64_t physicalMax = 0;
    std::uint16_t linkCollection = 0; // index within the top-level collection's nodes
    std::uint16_t dataIndexMin = 0;
    std::uint16_t dataIndexMax = 0;
};

// Everything known about one top-level collection (what other platforms call preparsed data).
struct HidPreparsedData {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    bool numberedReports = false;        // the interface's reports start with a report id
    std::vector<std::uint8_t> reportIds; // ids used by this collection (sorted, unique)
    HidCaps caps;
    std::array<std::vector<HidCapRecord>, kHidReportTypeCount> buttonCaps;
    std::array<std::vector<HidCapRecord>, kHidReportTypeCount> valueCaps;

    bool HasReportId(std::uint8_t id) const;
    // Longest usage list a report of this type can carry for the usage page.
    std::uint32_t MaxUsageListLength(HidReportType type, std::uint16_t usagePage) const;
};

struct HidDescriptorLimits {
    std::size_t maxDescriptorBytes = 4096;
    std::uint32_t maxReportCount = 4096;    // fields of one main item
    std::uint32_t maxReportBits = 8 * 4096; // of one report (id byte not counted)
    std::uint32_t maxNesting = 32;
    std::size_t maxCaps = 1024;
    std::uint32_t maxDataIndices = 65535;
    std::size_t maxPushDepth = 16;
    std::size_t maxLocalUsages = 1024;
    // usage list entries that the button items of one report type would allocate together
    std::uint64_t maxUsageListEntries = 65536;
};

// Parses a whole interface descriptor. Returns nothing (and an explanation in error) for a
// truncated or malformed descriptor, inverted ranges or counts above the limits.
std::optional<std::vector<HidPreparsedData>>
ParseReportDescriptor(std::span<const std::uint8_t> descriptor, std::string* error = nullptr,
                      const HidDescriptorLimits& limits = {});

// Decodes one received report into the items whose report id matches the report's first byte.
// Reads only the bytes given. Returns false when a value item cannot be decoded.
bool UnpackReport(const std::uint8_t* report, std::uint16_t reportLength, HidReportType type,
                  HidDataItem* items, std::uint32_t itemCount, const HidPreparsedData& preparsed);

// Builds the data items of a report type in the order the capability records give them.
std::vector<HidDataItem> BuildDataItems(const HidPreparsedData& preparsed, HidReportType type);

} // namespace vpc::hid
