// libFuzzer target over report descriptors: the first two bytes say how long the descriptor
// is, the rest of the input is a report. Every collection that parses gets its data items
// built for each report type and the report decoded into them. Besides crashes it traps
// when a collection's records or items exceed the parser's memory limits.
#include "HidReportDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

using namespace vpc::hid;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::size_t descriptorLength = std::min<std::size_t>(data[0] | (data[1] << 8), size - 2);
    const std::span<const std::uint8_t> descriptor(data + 2, descriptorLength);
    const std::span<const std::uint8_t> report(data + 2 + descriptorLength,
                                               size - 2 - descriptorLength);
    const HidDescriptorLimits limits;
    const auto collections = ParseReportDescriptor(descriptor, nullptr, limits);
    if (!collections)
        return 0;
    for (const HidPreparsedData& collection : *collections) {
        for (int t = 0; t < kHidReportTypeCount; ++t) {
            const auto type = static_cast<HidReportType>(t);
            if (collection.buttonCaps[static_cast<std::size_t>(t)].size() +
                    collection.valueCaps[static_cast<std::size_t>(t)].size() >
                limits.maxCaps)
                std::abort();
            std::vector<HidDataItem> items = BuildDataItems(collection, type, limits);
            std::uint64_t listEntries = 0;
            for (const HidDataItem& item : items)
                listEntries += item.usages.size();
            if (listEntries > limits.maxUsageListEntries)
                std::abort();
            if (!report.empty() && report.size() <= 0xFFFF)
                UnpackReport(report.data(), static_cast<std::uint16_t>(report.size()), type,
                             items.data(), static_cast<std::uint32_t>(items.size()), collection);
        }
    }
    return 0;
}
