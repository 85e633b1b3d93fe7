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
    // array fields: where this record's first usage stands among all usages of its main item
    // (a selector value minus the logical minimum counts from there)
    std::uint32_t selectorBase = 0;
    std::uint32_t mainItem = 0; // records of one main item share its fields
};

// Everything known about one top-level collection (what other platforms call preparsed data).
struct HidPreparsedData {
    std::uint16_t usagePage = 0;
    std::uint16_t usage = 0;
    bool numberedReports = false;        // the interface's reports start with a report id
    std::vector<std::uint8_t> reportIds; // ids used by this collection (sorted, unique)
    HidCaps caps;
    // false when a memory limit dropped some of the collection's records; what is left is
    // still right, the collection just describes fewer controls than the device has
    bool complete = true;
    std::array<std::vector<HidCapRecord>, kHidReportTypeCount> buttonCaps;
    std::array<std::vector<HidCapRecord>, kHidReportTypeCount> valueCaps;

    bool HasReportId(std::uint8_t id) const;
    // Longest usage list a report of this type can carry for the usage page.
    std::uint32_t MaxUsageListLength(HidReportType type, std::uint16_t usagePage) const;
};

// What the parser accepts. The refusals follow the kernel's HID core, so every descriptor that
// the kernel serves as a hidraw node is listed; the remaining limits only bound memory and
// truncate (like the kernel's usage limit) instead of refusing.
struct HidDescriptorLimits {
    // refused above these, as the kernel refuses them
    std::size_t maxDescriptorBytes = 4096;
    std::uint32_t maxReportCount = 12288;    // fields of one main item
    std::uint32_t maxReportSize = 256;       // bits of one field
    std::uint32_t maxReportBits = 8 * 16383; // of one report (id byte not counted)
    std::size_t maxPushDepth = 16;           // the kernel refuses more than 4
    // truncated above these
    std::uint32_t maxNesting = 32;             // deeper collections fold into the deepest node
    std::size_t maxCaps = 1024;                // records per top-level collection
    std::size_t maxLocalUsages = 1024;         // usages and usage ranges of one main item
    std::uint32_t maxUsageListLength = 4096;   // entries of one button item's usage array
    std::uint64_t maxUsageListEntries = 65536; // of all button items of one report type
    std::size_t maxValueItems = 16384;         // value items of one report type
};

// Parses a whole interface descriptor into its top-level collections. Returns nothing (and
// the reason in error) only for a descriptor the kernel refuses too: truncated items,
// unbalanced collections, report ids outside 1..255, a pop without a push, fields wider
// than 256 bits, more than 12288 fields in one item, an inverted logical range, reports
// longer than 16 KiB. Anything else parses; what exceeds a memory limit is truncated.
std::optional<std::vector<HidPreparsedData>>
ParseReportDescriptor(std::span<const std::uint8_t> descriptor, std::string* error = nullptr,
                      const HidDescriptorLimits& limits = {});

// Decodes one received report into the items whose report id matches the report's first byte.
// Reads only the bytes given. Returns false when a value item cannot be decoded.
bool UnpackReport(const std::uint8_t* report, std::uint16_t reportLength, HidReportType type,
                  HidDataItem* items, std::uint32_t itemCount, const HidPreparsedData& preparsed);

// Builds the data items of a report type in the order the capability records give them.
// Value items come one per usage of a record's range; the usage arrays of the button items
// and the number of value items stay within the limits (later items get shorter arrays).
std::vector<HidDataItem> BuildDataItems(const HidPreparsedData& preparsed, HidReportType type,
                                        const HidDescriptorLimits& limits = {});

} // namespace vpc::hid
