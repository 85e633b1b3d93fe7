#include "HidReportDescriptor.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

namespace vpc::hid {

namespace {

struct GlobalState {
    std::uint32_t usagePage = 0;
    std::int64_t logicalMin = 0;
    std::int64_t logicalMaxSigned = 0;
    std::uint32_t logicalMaxUnsigned = 0;
    std::int64_t physicalMin = 0;
    std::int64_t physicalMax = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

// A run of extended usages (page << 16 | id) on one page, first <= last. A single usage is a
// run of one; a Usage Minimum/Maximum pair stays one run however wide it is.
struct UsageRun {
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::uint32_t Width() const { return last - first + 1u; }
};

struct LocalState {
    std::vector<UsageRun> usages;
    bool hasMin = false;
    std::uint32_t usageMin = 0;
    int delimiterDepth = 0;
    int delimiterBranch = 0;
};

struct CollectionNode {
    int topLevel = -1;
    std::uint16_t nodeIndex = 0; // within its top-level collection
};

struct Parser {
    Parser(std::span<const std::uint8_t> descriptor, const HidDescriptorLimits& parseLimits)
        : data(descriptor), limits(parseLimits) {}

    std::span<const std::uint8_t> data;
    const HidDescriptorLimits& limits;
    std::string error;

    std::vector<HidPreparsedData> tops;
    std::vector<CollectionNode> stack;
    std::uint32_t foldedDepth = 0; // collections nested below the deepest node kept
    GlobalState global;
    std::vector<GlobalState> pushed;
    LocalState local;
    bool anyReportId = false;
    std::uint32_t mainItems = 0;
    std::vector<std::size_t> capCounts; // per top-level collection
    // bit length of each report, by type and id
    std::map<std::pair<int, std::uint32_t>, std::uint32_t> reportBits;
    // the (type, id) reports that each top-level collection has fields in
    std::vector<std::set<std::pair<int, std::uint32_t>>> topReports;

    bool Fail(std::string why) {
        error = std::move(why);
        return false;
    }

    std::uint32_t Extend(std::uint32_t usage, std::size_t itemSize) const {
        if (itemSize == 4)
            return usage;
        return (global.usagePage << 16) | (usage & 0xFFFFu);
    }

    void AddUsageRun(UsageRun run) {
        if (local.usages.size() >= limits.maxLocalUsages)
            return; // the kernel also drops usages past its limit
        local.usages.push_back(run);
    }

    void AddCap(std::size_t topIndex, HidCapRecord cap) {
        HidPreparsedData& top = tops[topIndex];
        if (++capCounts[topIndex] > limits.maxCaps) {
            top.complete = false;
            return;
        }
        auto idx = static_cast<std::size_t>(cap.reportType);
        (cap.isButton ? top.buttonCaps[idx] : top.valueCaps[idx]).push_back(cap);
    }

    bool MainData(int typeIndex, std::uint32_t flags) {
        const std::uint32_t size = global.reportSize;
        const std::uint32_t count = global.reportCount;
        const bool constant = (flags & 0x01u) != 0;
        const bool variable = (flags & 0x02u) != 0;
        const std::uint64_t bits = static_cast<std::uint64_t>(size) * count;
        auto key = std::make_pair(typeIndex, global.reportId);
        std::uint32_t& offset = reportBits[key];
        if (offset + bits > limits.maxReportBits)
            return Fail("report longer than 16 KiB");
        const std::uint32_t start = offset;
        offset += static_cast<std::uint32_t>(bits);
        if (stack.empty())
            return true; // a field outside every collection belongs to no collection
        const std::size_t topIndex = static_cast<std::size_t>(stack.front().topLevel);
        HidPreparsedData& top = tops[topIndex];
        if (global.reportId != 0 || bits > 0) {
            top.reportIds.push_back(static_cast<std::uint8_t>(global.reportId));
            topReports[topIndex].insert(key);
        }
        if (constant || bits == 0)
            return true;

        std::int64_t lmin = global.logicalMin;
        std::int64_t lmax = global.logicalMaxSigned;
        if (lmin >= 0 && lmax < 0)
            lmax = global.logicalMaxUnsigned; // 0..255 written as 15 00 25 FF
        if (lmin > lmax)
            return Fail("logical minimum above logical maximum");

        HidCapRecord base;
        base.reportType = static_cast<HidReportType>(typeIndex);
        base.reportId = static_cast<std::uint8_t>(global.reportId);
        base.bitSize = static_cast<std::uint16_t>(size);
        base.logicalMin = lmin;
        base.logicalMax = lmax;
        base.physicalMin = global.physicalMin;
        base.physicalMax = global.physicalMax;
        base.linkCollection = stack.back().nodeIndex;
        base.isArray = !variable;
        base.isButton = !variable || (size == 1 && lmin == 0 && lmax == 1);
        base.mainItem = mainItems++;
        base.bitOffset = start;
        base.reportCount = static_cast<std::uint16_t>(count);

        std::vector<UsageRun> runs = std::move(local.usages);
        if (runs.empty()) {
            // fields without a usage: report them as usage 0 of the current page
            runs.push_back({global.usagePage << 16, global.usagePage << 16});
        }
        if (!variable) {
            // array: a selector value picks one usage of all the item's runs, in order
            std::uint32_t selector = 0;
            for (const UsageRun& run : runs) {
                HidCapRecord cap = base;
                cap.usagePage = static_cast<std::uint16_t>(run.first >> 16);
                cap.usageMin = static_cast<std::uint16_t>(run.first);
                cap.usageMax = static_cast<std::uint16_t>(run.last);
                cap.isRange = cap.usageMin != cap.usageMax;
                cap.selectorBase = selector;
                selector += run.Width();
                AddCap(topIndex, cap);
            }
            return true;
        }
        // variable fields take the usages in turn; the last run's last usage takes any
        // remaining fields, and usages beyond the fields have no data and no record
        std::uint32_t field = 0;
        for (std::size_t r = 0; r < runs.size() && field < count; ++r) {
            const UsageRun& run = runs[r];
            const std::uint32_t covered = std::min(run.Width(), count - field);
            HidCapRecord cap = base;
            cap.usagePage = static_cast<std::uint16_t>(run.first >> 16);
            cap.usageMin = static_cast<std::uint16_t>(run.first);
            cap.usageMax = static_cast<std::uint16_t>(run.first + covered - 1u);
            cap.isRange = cap.usageMin != cap.usageMax;
            cap.bitOffset = start + field * size;
            const bool lastRun = r + 1 == runs.size();
            cap.reportCount = static_cast<std::uint16_t>(lastRun ? count - field : covered);
            field += covered;
            AddCap(topIndex, cap);
        }
        return true;
    }

    bool Run() {
        if (data.size() > limits.maxDescriptorBytes)
            return Fail("descriptor longer than 4096 bytes");
        std::size_t i = 0;
        while (i < data.size()) {
            const std::uint8_t prefix = data[i++];
            if (prefix == 0xFE) { // long item: size, tag, data; no defined long item exists
                if (i + 2 > data.size())
                    return Fail("truncated long item");
                const std::size_t size = data[i];
                i += 2;
                if (i + size > data.size())
                    return Fail("truncated long item");
                i += size;
                continue;
            }
            std::size_t size = prefix & 0x03u;
            if (size == 3)
                size = 4;
            if (i + size > data.size())
                return Fail("truncated item at byte " + std::to_string(i - 1));
            std::uint32_t u = 0;
            for (std::size_t b = 0; b < size; ++b)
                u |= static_cast<std::uint32_t>(data[i + b]) << (8 * b);
            std::int64_t s = u;
            if (size == 1)
                s = static_cast<std::int8_t>(u);
            else if (size == 2)
                s = static_cast<std::int16_t>(u);
            else if (size == 4)
                s = static_cast<std::int32_t>(u);
            i += size;
            const int type = (prefix >> 2) & 0x03;
            const int tag = prefix >> 4;
            bool ok = true;
            if (type == 0)
                ok = Main(tag, u);
            else if (type == 1)
                ok = Global(tag, u, s);
            else if (type == 2)
                ok = Local(tag, u, size);
            if (!ok)
                return false;
        }
        if (!stack.empty())
            return Fail("collection not closed");
        return Finish();
    }

    void OpenCollection() {
        if (stack.size() >= limits.maxNesting) {
            ++foldedDepth;
            return;
        }
        std::uint32_t usage = global.usagePage << 16;
        if (!local.usages.empty())
            usage = local.usages.front().first;
        CollectionNode node;
        if (stack.empty()) {
            HidPreparsedData top;
            top.usagePage = static_cast<std::uint16_t>(usage >> 16);
            top.usage = static_cast<std::uint16_t>(usage);
            top.caps.numberLinkCollectionNodes = 1;
            tops.push_back(std::move(top));
            capCounts.push_back(0);
            topReports.emplace_back();
            node.topLevel = static_cast<int>(tops.size()) - 1;
            node.nodeIndex = 0;
        } else {
            node.topLevel = stack.front().topLevel;
            auto& top = tops[static_cast<std::size_t>(node.topLevel)];
            if (top.caps.numberLinkCollectionNodes == 0xFFFF) {
                node.nodeIndex = stack.back().nodeIndex;
                top.complete = false;
            } else {
                node.nodeIndex = top.caps.numberLinkCollectionNodes++;
            }
        }
        stack.push_back(node);
    }

    bool Main(int tag, std::uint32_t u) {
        bool ok = true;
        switch (tag) {
        case 0x8:
            ok = MainData(0, u);
            break;
        case 0x9:
            ok = MainData(1, u);
            break;
        case 0xB:
            ok = MainData(2, u);
            break;
        case 0xA:
            OpenCollection();
            break;
        case 0xC:
            if (foldedDepth > 0)
                --foldedDepth;
            else if (stack.empty())
                return Fail("end collection without collection");
            else
                stack.pop_back();
            break;
        default:
            break; // reserved main items carry no data
        }
        local = LocalState{};
        return ok;
    }

    bool Global(int tag, std::uint32_t u, std::int64_t s) {
        switch (tag) {
        case 0x0:
            global.usagePage = u & 0xFFFFu;
            break;
        case 0x1:
            global.logicalMin = s;
            break;
        case 0x2:
            global.logicalMaxSigned = s;
            global.logicalMaxUnsigned = u;
            break;
        case 0x3:
            global.physicalMin = s;
            break;
        case 0x4:
            global.physicalMax = s;
            break;
        case 0x7:
            if (u > limits.maxReportSize)
                return Fail("report size " + std::to_string(u) + " above 256 bits");
            global.reportSize = u;
            break;
        case 0x8:
            if (u == 0 || u > 255)
                return Fail("report id " + std::to_string(u) + " outside 1..255");
            global.reportId = u;
            anyReportId = true;
            break;
        case 0x9:
            if (u > limits.maxReportCount)
                return Fail("report count " + std::to_string(u) + " above 12288");
            global.reportCount = u;
            break;
        case 0xA:
            if (pushed.size() >= limits.maxPushDepth)
                return Fail("push stack too deep");
            pushed.push_back(global);
            break;
        case 0xB:
            if (pushed.empty())
                return Fail("pop without push");
            global = pushed.back();
            pushed.pop_back();
            break;
        default:
            break; // unit, unit exponent
        }
        return true;
    }

    bool Local(int tag, std::uint32_t u, std::size_t size) {
        if (tag == 0xA) { // delimiter: only the first set of alternative usages counts
            if (u != 0) {
                if (local.delimiterDepth != 0)
                    return Fail("nested delimiters");
                ++local.delimiterDepth;
                ++local.delimiterBranch;
            } else {
                if (local.delimiterDepth < 1)
                    return Fail("close delimiter without open");
                --local.delimiterDepth;
            }
            return true;
        }
        if (local.delimiterBranch > 1 && tag <= 0x2)
            return true; // an alternative usage
        switch (tag) {
        case 0x0: {
            const std::uint32_t usage = Extend(u, size);
            AddUsageRun({usage, usage});
            break;
        }
        case 0x1:
            local.hasMin = true;
            local.usageMin = Extend(u, size);
            break;
        case 0x2: {
            const std::uint32_t last = Extend(u, size);
            // a maximum without a minimum counts from usage 0 of its page
            std::uint32_t first = local.hasMin ? local.usageMin : (last & 0xFFFF0000u);
            local.hasMin = false;
            UsageRun run{first, last};
            if ((first >> 16) != (last >> 16))
                run.last = first | 0xFFFFu; // a run never leaves its first usage's page
            if (run.first <= run.last)
                AddUsageRun(run); // an inverted pair names no usage
            break;
        }
        default:
            break; // designators, strings
        }
        return true;
    }

    bool Finish() {
        for (std::size_t t = 0; t < tops.size(); ++t) {
            HidPreparsedData& top = tops[t];
            top.numberedReports = anyReportId;
            std::sort(top.reportIds.begin(), top.reportIds.end());
            top.reportIds.erase(std::unique(top.reportIds.begin(), top.reportIds.end()),
                                top.reportIds.end());
            // a report is as long as all its fields, whichever collections they belong to
            std::uint16_t* lengths[3] = {&top.caps.inputReportByteLength,
                                         &top.caps.outputReportByteLength,
                                         &top.caps.featureReportByteLength};
            for (const auto& key : topReports[t]) {
                const std::uint32_t bits = reportBits[key];
                const std::uint32_t bytes = (bits + 7) / 8 + 1;
                if (bits > 0 && bytes > *lengths[key.first])
                    *lengths[key.first] = static_cast<std::uint16_t>(bytes);
            }
            std::uint16_t* buttons[3] = {&top.caps.numberInputButtonCaps,
                                         &top.caps.numberOutputButtonCaps,
                                         &top.caps.numberFeatureButtonCaps};
            std::uint16_t* values[3] = {&top.caps.numberInputValueCaps,
                                        &top.caps.numberOutputValueCaps,
                                        &top.caps.numberFeatureValueCaps};
            std::uint16_t* indices[3] = {&top.caps.numberInputDataIndices,
                                         &top.caps.numberOutputDataIndices,
                                         &top.caps.numberFeatureDataIndices};
            for (int type = 0; type < kHidReportTypeCount; ++type) {
                // data indices are 16-bit: a collection with more usages than that keeps
                // its ranges, and the indices of the last ones stop at 0xFFFF
                constexpr std::uint32_t kLastIndex = 0xFFFF;
                std::uint32_t next = 0;
                for (auto* list : {&top.buttonCaps[type], &top.valueCaps[type]}) {
                    for (HidCapRecord& cap : *list) {
                        const std::uint32_t span = cap.usageMax - cap.usageMin + 1u;
                        cap.dataIndexMin = static_cast<std::uint16_t>(std::min(next, kLastIndex));
                        cap.dataIndexMax =
                            static_cast<std::uint16_t>(std::min(next + span - 1u, kLastIndex));
                        next = std::min(next + span, kLastIndex + 1u);
                    }
                }
                *buttons[type] = static_cast<std::uint16_t>(top.buttonCaps[type].size());
                *values[type] = static_cast<std::uint16_t>(top.valueCaps[type].size());
                *indices[type] = static_cast<std::uint16_t>(std::min(next, kLastIndex));
            }
            top.caps.usagePage = top.usagePage;
            top.caps.usage = top.usage;
        }
        return true;
    }
};

// Extracts one field; false when it lies beyond the received bytes.
bool ExtractField(const std::uint8_t* report, std::size_t length, std::uint32_t bitOffset,
                  std::uint16_t bitSize, std::uint32_t& out) {
    // data starts after the report id byte
    const std::uint64_t firstBit = 8u + static_cast<std::uint64_t>(bitOffset);
    const std::uint64_t endBit = firstBit + bitSize;
    if (bitSize == 0 || bitSize > 32 || endBit > static_cast<std::uint64_t>(length) * 8u)
        return false;
    std::uint64_t value = 0;
    for (std::uint32_t b = 0; b < bitSize; ++b) {
        const std::uint64_t bit = firstBit + b;
        if ((report[bit / 8] >> (bit % 8)) & 1u)
            value |= std::uint64_t{1} << b;
    }
    out = static_cast<std::uint32_t>(value);
    return true;
}

std::int64_t SignExtend(std::uint32_t raw, std::uint16_t bitSize, std::int64_t logicalMin) {
    if (logicalMin >= 0 || bitSize >= 64)
        return raw;
    const std::uint64_t sign = std::uint64_t{1} << (bitSize - 1);
    std::uint64_t v = raw;
    if (v & sign)
        return static_cast<std::int64_t>(v) - static_cast<std::int64_t>(sign << 1);
    return static_cast<std::int64_t>(v);
}

} // namespace

bool HidPreparsedData::HasReportId(std::uint8_t id) const {
    return std::binary_search(reportIds.begin(), reportIds.end(), id);
}

std::uint32_t HidPreparsedData::MaxUsageListLength(HidReportType type, std::uint16_t page) const {
    // the records of one array item share its fields: count each item's fields once
    std::uint32_t total = 0;
    std::set<std::uint32_t> counted;
    for (const HidCapRecord& cap : buttonCaps[static_cast<std::size_t>(type)])
        if ((cap.usagePage == page || page == 0) && counted.insert(cap.mainItem).second)
            total += cap.reportCount;
    return total;
}

std::optional<std::vector<HidPreparsedData>>
ParseReportDescriptor(std::span<const std::uint8_t> descriptor, std::string* error,
                      const HidDescriptorLimits& limits) {
    Parser parser(descriptor, limits);
    if (!parser.Run()) {
        if (error)
            *error = parser.error;
        return std::nullopt;
    }
    return std::move(parser.tops);
}

std::vector<HidDataItem> BuildDataItems(const HidPreparsedData& preparsed, HidReportType type,
                                        const HidDescriptorLimits& limits) {
    const auto t = static_cast<std::size_t>(type);
    std::vector<HidDataItem> items;
    std::uint64_t listBudget = limits.maxUsageListEntries;
    for (const HidCapRecord& cap : preparsed.buttonCaps[t]) {
        HidDataItem item;
        item.isButton = true;
        item.usagePage = cap.usagePage;
        item.reportId = cap.reportId;
        item.usageMin = cap.usageMin;
        item.usageMax = cap.usageMax;
        const std::uint64_t wanted = std::min<std::uint64_t>(
            preparsed.MaxUsageListLength(type, cap.usagePage), limits.maxUsageListLength);
        item.maxUsageCount = static_cast<std::uint32_t>(std::min(wanted, listBudget));
        listBudget -= item.maxUsageCount;
        item.usages.assign(item.maxUsageCount, 0);
        items.push_back(std::move(item));
    }
    std::size_t values = 0;
    for (const HidCapRecord& cap : preparsed.valueCaps[t]) {
        for (std::uint32_t u = cap.usageMin; u <= cap.usageMax; ++u) {
            if (values++ >= limits.maxValueItems)
                return items;
            HidDataItem item;
            item.usagePage = cap.usagePage;
            item.usage = static_cast<std::uint16_t>(u);
            item.reportId = cap.reportId;
            items.push_back(std::move(item));
        }
    }
    return items;
}

namespace {

// Pressed usages of a page in one report, in field order.
std::uint32_t CollectUsages(const std::uint8_t* report, std::uint16_t length,
                            const HidPreparsedData& pp, HidReportType type, std::uint8_t reportId,
                            std::uint16_t page, std::vector<std::uint16_t>& out,
                            std::uint32_t& status) {
    status = kHidStatusSuccess;
    for (const HidCapRecord& cap : pp.buttonCaps[static_cast<std::size_t>(type)]) {
        if (cap.reportId != reportId || cap.usagePage != page)
            continue;
        for (std::uint32_t f = 0; f < cap.reportCount; ++f) {
            std::uint32_t raw = 0;
            if (!ExtractField(report, length, cap.bitOffset + f * cap.bitSize, cap.bitSize, raw)) {
                status = kHidStatusInvalidReportLength;
                break;
            }
            if (cap.isArray) {
                const std::int64_t v = SignExtend(raw, cap.bitSize, cap.logicalMin);
                if (v < cap.logicalMin || v > cap.logicalMax)
                    continue;
                // which of the item's usages the selector names, and whether it is this
                // record's
                const std::int64_t index = v - cap.logicalMin - cap.selectorBase;
                if (index < 0 || index > cap.usageMax - cap.usageMin)
                    continue;
                const std::int64_t usage = cap.usageMin + index;
                if (usage == 0)
                    continue; // usage 0 names nothing: no control pressed
                out.push_back(static_cast<std::uint16_t>(usage));
            } else if (raw != 0) {
                const std::uint32_t usage = std::min<std::uint32_t>(cap.usageMin + f, cap.usageMax);
                out.push_back(static_cast<std::uint16_t>(usage));
            }
        }
    }
    return static_cast<std::uint32_t>(out.size());
}

} // namespace

bool UnpackReport(const std::uint8_t* report, std::uint16_t reportLength, HidReportType type,
                  HidDataItem* items, std::uint32_t itemCount, const HidPreparsedData& preparsed) {
    if (report == nullptr || reportLength == 0 || (items == nullptr && itemCount > 0))
        return false;
    const std::uint8_t reportId = report[0];
    std::vector<std::uint16_t> pressed;
    for (std::uint32_t i = 0; i < itemCount; ++i) {
        HidDataItem& item = items[i];
        if (item.reportId != reportId)
            continue;
        if (item.isButton) {
            pressed.clear();
            std::uint32_t status = kHidStatusSuccess;
            CollectUsages(report, reportLength, preparsed, type, reportId, item.usagePage, pressed,
                          status);
            item.status = status;
            std::size_t kept = 0;
            for (std::uint16_t usage : pressed) {
                if (kept >= item.usages.size())
                    break;
                if (usage >= item.usageMin && usage <= item.usageMax)
                    item.usages[kept++] = usage;
            }
            if (kept < item.usages.size())
                item.usages[kept] = 0;
        } else {
            const HidCapRecord* found = nullptr;
            std::uint32_t field = 0;
            for (const HidCapRecord& cap : preparsed.valueCaps[static_cast<std::size_t>(type)]) {
                if (cap.reportId == reportId && cap.usagePage == item.usagePage &&
                    item.usage >= cap.usageMin && item.usage <= cap.usageMax) {
                    found = &cap;
                    field = item.usage - cap.usageMin;
                    break;
                }
            }
            std::uint32_t raw = 0;
            if (found == nullptr) {
                item.status = kHidStatusUsageNotFound;
                return false;
            }
            if (!ExtractField(report, reportLength, found->bitOffset + field * found->bitSize,
                              found->bitSize, raw)) {
                item.status = kHidStatusInvalidReportLength;
                return false;
            }
            item.rawValue = raw;
            const std::int64_t v = SignExtend(raw, found->bitSize, found->logicalMin);
            const std::int64_t lrange = found->logicalMax - found->logicalMin;
            const std::int64_t prange = found->physicalMax - found->physicalMin;
            if (lrange <= 0 || prange <= 0) {
                item.status = kHidStatusBadLogPhyValues;
                item.scaledValue = 0;
            } else if (v < found->logicalMin || v > found->logicalMax) {
                item.status = kHidStatusNullState;
                item.scaledValue = 0;
            } else {
                item.status = kHidStatusSuccess;
                item.scaledValue = static_cast<std::int32_t>(
                    (v - found->logicalMin) * prange / lrange + found->physicalMin);
            }
        }
        item.isSet = true;
    }
    return true;
}

} // namespace vpc::hid
