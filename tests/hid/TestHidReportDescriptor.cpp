#include "HidReportDescriptor.h"
#include "SimDescriptors.h"

#include <gtest/gtest.h>

#include <initializer_list>

#include <string>
#include <vector>

using namespace vpc::hid;

namespace {

TEST(HidReportDescriptorTest, KeypadInterfaceHasFourCollections) {
    std::string error;
    auto tops = ParseReportDescriptor(vpc::sim::KeypadInterfaceDescriptor(), &error);
    ASSERT_TRUE(tops) << error;
    ASSERT_EQ(tops->size(), 4u);
    struct Expect {
        std::uint16_t page, usage, in, out;
        std::uint8_t id;
    };
    const Expect expected[4] = {{0x0001, 0x06, 9, 2, 1},
                                {0x0001, 0x80, 2, 0, 2},
                                {0x000C, 0x01, 3, 0, 3},
                                {0xFF1C, 0x92, 64, 64, 4}};
    for (std::size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const HidPreparsedData& c = (*tops)[i];
        EXPECT_EQ(c.caps.usagePage, expected[i].page);
        EXPECT_EQ(c.caps.usage, expected[i].usage);
        EXPECT_EQ(c.caps.inputReportByteLength, expected[i].in);
        EXPECT_EQ(c.caps.outputReportByteLength, expected[i].out);
        EXPECT_TRUE(c.numberedReports);
        EXPECT_EQ(c.reportIds, std::vector<std::uint8_t>{expected[i].id});
    }
    const HidCaps& keyboard = (*tops)[0].caps;
    EXPECT_EQ(keyboard.numberInputButtonCaps, 2);  // modifier bits, key array
    EXPECT_EQ(keyboard.numberOutputButtonCaps, 1); // LEDs
    EXPECT_EQ(keyboard.numberInputDataIndices, 8 + 256);
    const HidCaps& vendor = (*tops)[3].caps;
    EXPECT_EQ(vendor.numberInputValueCaps, 1);
    EXPECT_EQ(vendor.numberOutputValueCaps, 1);
    EXPECT_EQ(vendor.numberLinkCollectionNodes, 1);
}

TEST(HidReportDescriptorTest, UnnumberedDescriptorAndNestedCollections) {
    // mouse: application > physical, 3 buttons + padding, X/Y values -127..127
    const std::vector<std::uint8_t> mouse = {
        0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19, 0x01,
        0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02, 0x95, 0x01,
        0x75, 0x05, 0x81, 0x03, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15, 0x81, 0x25, 0x7F,
        0x35, 0x81, 0x45, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0};
    auto tops = ParseReportDescriptor(mouse);
    ASSERT_TRUE(tops);
    ASSERT_EQ(tops->size(), 1u);
    const HidPreparsedData& pp = (*tops)[0];
    EXPECT_FALSE(pp.numberedReports);
    EXPECT_EQ(pp.caps.inputReportByteLength, 4);
    EXPECT_EQ(pp.caps.numberLinkCollectionNodes, 2);
    EXPECT_EQ(pp.caps.numberInputValueCaps, 2);

    auto items = BuildDataItems(pp, HidReportType::Input);
    ASSERT_EQ(items.size(), 3u);
    const std::uint8_t report[4] = {0x00, 0x05, 0xFE, 0x10}; // buttons 1 and 3, x -2, y 16
    ASSERT_TRUE(UnpackReport(report, 4, HidReportType::Input, items.data(), 3, pp));
    EXPECT_EQ(items[0].usages[0], 1);
    EXPECT_EQ(items[0].usages[1], 3);
    EXPECT_EQ(items[0].usages[2], 0);
    EXPECT_EQ(items[1].usage, 0x30);
    EXPECT_EQ(items[1].rawValue, 0xFEu);
    EXPECT_EQ(items[1].scaledValue, -2);
    EXPECT_EQ(items[2].scaledValue, 16);
}

// Descriptors shaped like real devices', each with what the listing and the decoding must give.
struct CollectionExpect {
    std::uint16_t page, usage, inputLength, outputLength;
};
struct DecodeExpect {
    std::size_t collection;
    std::vector<std::uint8_t> report;
    std::uint16_t firstUsage; // of the item, as the notification thread takes it
    std::size_t item;         // the notification thread takes item 0
};
struct DescriptorCase {
    const char* name;
    std::vector<std::uint8_t> descriptor;
    std::vector<CollectionExpect> collections;
    std::vector<DecodeExpect> decodes;
};

std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const std::vector<std::uint8_t> kVendorCollection = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF,
    0x00, 0x75, 0x08, 0x95, 0x3F, 0x81, 0x02, 0x09, 0x02, 0x95, 0x3F, 0x91, 0x02, 0xC0};

std::vector<std::uint8_t> ConsumerArray(std::uint8_t maxLow, std::uint8_t maxHigh) {
    return {0x05, 0x0C, 0x09, 0x01,   0xA1,    0x01, 0x85, 0x03, 0x19, 0x00, 0x2A, maxLow, maxHigh,
            0x15, 0x00, 0x26, maxLow, maxHigh, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};
}

std::uint16_t FirstUsage(const HidPreparsedData& pp, const std::vector<std::uint8_t>& report,
                         std::size_t itemIndex = 0) {
    auto items = BuildDataItems(pp, HidReportType::Input);
    if (items.size() <= itemIndex ||
        !UnpackReport(report.data(), static_cast<std::uint16_t>(report.size()),
                      HidReportType::Input, items.data(), static_cast<std::uint32_t>(items.size()),
                      pp))
        return 0xDEAD;
    const HidDataItem& first = items[itemIndex];
    if (first.isButton)
        return first.usages.empty() ? 0 : first.usages.front();
    return static_cast<std::uint16_t>(first.rawValue);
}

TEST(HidReportDescriptorTest, DescriptorsOfRealDevicesAreListedAndDecoded) {
    const std::vector<std::uint8_t> bootKeyboard = {
        0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15,
        0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08,
        0x81, 0x01, 0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91,
        0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06, 0x75, 0x08, 0x15, 0x00,
        0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};
    // report id 2: five buttons, padding, 16-bit X and Y, 8-bit wheel
    const std::vector<std::uint8_t> mouse16 = {
        0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x02, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09,
        0x19, 0x01, 0x29, 0x05, 0x15, 0x00, 0x25, 0x01, 0x95, 0x05, 0x75, 0x01, 0x81, 0x02,
        0x95, 0x01, 0x75, 0x03, 0x81, 0x01, 0x05, 0x01, 0x16, 0x01, 0x80, 0x26, 0xFF, 0x7F,
        0x75, 0x10, 0x95, 0x02, 0x09, 0x30, 0x09, 0x31, 0x81, 0x06, 0x15, 0x81, 0x25, 0x7F,
        0x75, 0x08, 0x95, 0x01, 0x09, 0x38, 0x81, 0x06, 0xC0, 0xC0};
    // count 2 pushed, 4 fields inside, popped back to 2: 6 data bytes in all
    const std::vector<std::uint8_t> pushPop = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85,
                                               0x07, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
                                               0x95, 0x02, 0xA4, 0x95, 0x04, 0x09, 0x01, 0x81,
                                               0x02, 0xB4, 0x09, 0x02, 0x81, 0x02, 0xC0};
    // a long item (skipped whole) between the usage and the fields
    const std::vector<std::uint8_t> longItem = {
        0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x08, 0xFE, 0x03, 0x10, 0x75, 0x08, 0x95,
        0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x05, 0x09, 0x01, 0x81, 0x02, 0xC0};
    // two delimited sets of alternative usages: only the first (0xB5) counts, so both fields
    // are 0xB5; taking the second set would make the second field 0xCD
    const std::vector<std::uint8_t> delimiters = {
        0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x05, 0x15, 0x00, 0x25, 0x01,
        0x75, 0x01, 0x95, 0x02, 0xA9, 0x01, 0x09, 0xB5, 0xA9, 0x00, 0xA9, 0x01,
        0x09, 0xCD, 0xA9, 0x00, 0x81, 0x02, 0x95, 0x06, 0x81, 0x01, 0xC0};
    // an empty system collection before the vendor one
    const std::vector<std::uint8_t> empty = {0x05, 0x01, 0x09, 0x80, 0xA1, 0x01, 0xC0};
    // a consumer array over four usages that are not one range: selector 3 is 0xE2
    const std::vector<std::uint8_t> listedArray = {
        0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x06, 0x09, 0xE9, 0x09, 0xEA, 0x09, 0xE2,
        0x09, 0xCD, 0x15, 0x01, 0x25, 0x04, 0x75, 0x08, 0x95, 0x01, 0x81, 0x00, 0xC0};

    const std::vector<DescriptorCase> cases = {
        {"boot keyboard",
         bootKeyboard,
         {{0x0001, 0x06, 9, 2}},
         {{0, {0x00, 0x02, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00}, 0xE1, 0}}},
        {"consumer 0..0x3FF",
         ConsumerArray(0xFF, 0x03),
         {{0x000C, 0x01, 3, 0}},
         {{0, {0x03, 0xE9, 0x00}, 0x00E9, 0},
          {0, {0x03, 0xFF, 0x03}, 0x03FF, 0},
          {0, {0x03, 0x00, 0x04}, 0, 0}}},
        {"consumer 0..0xFFFF",
         ConsumerArray(0xFF, 0xFF),
         {{0x000C, 0x01, 3, 0}},
         {{0, {0x03, 0x02, 0x04}, 1026, 0},
          {0, {0x03, 0x12, 0x10}, 0x1012, 0},
          {0, {0x03, 0xFF, 0xFF}, 0xFFFF, 0},
          {0, {0x03, 0x00, 0x00}, 0, 0}}},
        {"keypad interface: system, keyboard, consumer, vendor",
         Concat(
             {{0x05, 0x01, 0x09, 0x80, 0xA1, 0x01, 0x85, 0x02, 0x19, 0x81, 0x29, 0x83, 0x15, 0x00,
               0x25, 0x01, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0x95, 0x05, 0x81, 0x01, 0xC0},
              {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29,
               0xE7, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x06,
               0x75, 0x08, 0x19, 0x00, 0x29, 0xFF, 0x26, 0xFF, 0x00, 0x81, 0x00, 0xC0},
              ConsumerArray(0xFF, 0xFF),
              kVendorCollection}),
         {{0x0001, 0x80, 2, 0}, {0x0001, 0x06, 8, 0}, {0x000C, 0x01, 3, 0}, {0xFF1C, 0x92, 64, 64}},
         {{0, {0x02, 0x04}, 0x83, 0},
          {2, {0x03, 0x02, 0x04}, 1026, 0},
          {2, {0x03, 0x12, 0x10}, 0x1012, 0}}},
        {"mouse with 16-bit axes and a wheel",
         mouse16,
         {{0x0001, 0x02, 7, 0}},
         {{0, {0x02, 0x05, 0x34, 0x12, 0xFE, 0xFF, 0x01}, 1, 0}}},
        {"push and pop", pushPop, {{0xFF00, 0x01, 7, 0}}, {}},
        {"long item", longItem, {{0xFF00, 0x01, 6, 0}}, {}},
        {"delimiters", delimiters, {{0x000C, 0x01, 2, 0}}, {{0, {0x05, 0x02}, 0xB5, 0}}},
        {"empty collection",
         Concat({empty, kVendorCollection}),
         {{0x0001, 0x80, 0, 0}, {0xFF1C, 0x92, 64, 64}},
         {}},
        {"array over listed usages",
         listedArray,
         {{0x000C, 0x01, 2, 0}},
         {{0, {0x06, 0x03}, 0xE2, 2},
          {0, {0x06, 0x04}, 0xCD, 3},
          {0, {0x06, 0x01}, 0xE9, 0},
          {0, {0x06, 0x05}, 0, 0}}},
    };
    for (const DescriptorCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        const auto tops = ParseReportDescriptor(c.descriptor, &error);
        ASSERT_TRUE(tops) << error;
        ASSERT_EQ(tops->size(), c.collections.size());
        for (std::size_t i = 0; i < c.collections.size(); ++i) {
            SCOPED_TRACE(i);
            const HidCaps& caps = (*tops)[i].caps;
            EXPECT_EQ(caps.usagePage, c.collections[i].page);
            EXPECT_EQ(caps.usage, c.collections[i].usage);
            EXPECT_EQ(caps.inputReportByteLength, c.collections[i].inputLength);
            EXPECT_EQ(caps.outputReportByteLength, c.collections[i].outputLength);
            EXPECT_TRUE((*tops)[i].complete);
        }
        for (const DecodeExpect& d : c.decodes)
            EXPECT_EQ(FirstUsage((*tops)[d.collection], d.report, d.item), d.firstUsage)
                << "report byte 1: " << int{d.report.at(1)};
    }
}

TEST(HidReportDescriptorTest, AFullWidthUsageRangeCostsWhatARangeOfTwoCosts) {
    const auto narrow = ParseReportDescriptor(ConsumerArray(0x01, 0x00));
    const auto wide = ParseReportDescriptor(ConsumerArray(0xFF, 0xFF));
    ASSERT_TRUE(narrow && wide);
    const HidPreparsedData& n = narrow->front();
    const HidPreparsedData& w = wide->front();
    EXPECT_EQ(w.buttonCaps[0].size(), n.buttonCaps[0].size());
    ASSERT_EQ(w.buttonCaps[0].size(), 1u);
    EXPECT_TRUE(w.buttonCaps[0][0].isRange);
    EXPECT_EQ(w.buttonCaps[0][0].usageMin, 0);
    EXPECT_EQ(w.buttonCaps[0][0].usageMax, 0xFFFF);
    EXPECT_EQ(w.buttonCaps[0][0].dataIndexMin, 0);
    EXPECT_EQ(w.buttonCaps[0][0].dataIndexMax, 0xFFFF);
    const auto wideItems = BuildDataItems(w, HidReportType::Input);
    const auto narrowItems = BuildDataItems(n, HidReportType::Input);
    ASSERT_EQ(wideItems.size(), 1u);
    ASSERT_EQ(narrowItems.size(), 1u);
    EXPECT_EQ(wideItems[0].usages.size(), narrowItems[0].usages.size());

    // a variable value range as wide as the page has one field, so one value item
    const std::vector<std::uint8_t> values = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x19,
                                              0x00, 0x2A, 0xFF, 0xFF, 0x15, 0x00, 0x26, 0xFF,
                                              0x00, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0};
    const auto valueTops = ParseReportDescriptor(values);
    ASSERT_TRUE(valueTops);
    const auto valueItems = BuildDataItems(valueTops->front(), HidReportType::Input);
    ASSERT_EQ(valueItems.size(), 1u);
    const std::uint8_t report[2] = {0x00, 0x5A};
    std::vector<HidDataItem> decoded = valueItems;
    ASSERT_TRUE(
        UnpackReport(report, 2, HidReportType::Input, decoded.data(), 1, valueTops->front()));
    EXPECT_EQ(decoded[0].usage, 0);
    EXPECT_EQ(decoded[0].rawValue, 0x5Au);
}

TEST(HidReportDescriptorTest, DescriptorsTheKernelRefusesAreRefusedWithAReason) {
    const std::vector<std::uint8_t> head = {0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04};
    struct Case {
        const char* name;
        std::vector<std::uint8_t> body;
    };
    const std::vector<Case> cases = {
        {"inverted logical range",
         {0x09, 0x01, 0x15, 0x10, 0x25, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}},
        {"report count 12289", {0x09, 0x01, 0x75, 0x01, 0x96, 0x01, 0x30, 0x81, 0x02, 0xC0}},
        {"report size 257", {0x09, 0x01, 0x76, 0x01, 0x01, 0x95, 0x01, 0x81, 0x02, 0xC0}},
        {"report of 16384 bytes", {0x09, 0x01, 0x75, 0x10, 0x96, 0x00, 0x20, 0x81, 0x02, 0xC0}},
        {"collection never closed", {0x09, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"end without collection", {0xC0, 0xC0}},
        {"truncated item", {0x09, 0x01, 0x75, 0x08, 0x96, 0x01}},
        {"truncated long item", {0xFE, 0x08, 0x10, 0x01}},
        {"report id 0", {0x85, 0x00, 0xC0}},
        {"report id 256", {0x86, 0x00, 0x01, 0xC0}},
        {"pop without push", {0xB4, 0xC0}},
        {"nested delimiters", {0xA9, 0x01, 0xA9, 0x01, 0xC0}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> descriptor = head;
        descriptor.insert(descriptor.end(), c.body.begin(), c.body.end());
        std::string error;
        EXPECT_FALSE(ParseReportDescriptor(descriptor, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
    std::string error;
    EXPECT_FALSE(ParseReportDescriptor(std::vector<std::uint8_t>(4097, 0x00), &error));
    EXPECT_FALSE(error.empty());

    // the largest of each still parses: 12288 fields, 256-bit fields, a 16383-byte report
    const std::vector<std::vector<std::uint8_t>> bounds = {
        {0x09, 0x01, 0x75, 0x01, 0x96, 0x00, 0x30, 0x81, 0x02, 0xC0},
        {0x09, 0x01, 0x76, 0x00, 0x01, 0x95, 0x01, 0x81, 0x02, 0xC0},
        {0x09, 0x01, 0x75, 0x10, 0x96, 0xFF, 0x1F, 0x81, 0x02, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02,
         0xC0},
    };
    for (const auto& body : bounds) {
        std::vector<std::uint8_t> descriptor = head;
        descriptor.insert(descriptor.end(), body.begin(), body.end());
        EXPECT_TRUE(ParseReportDescriptor(descriptor, &error)) << error;
    }
}

TEST(HidReportDescriptorTest, OddButLegalDescriptorsParse) {
    const std::vector<std::uint8_t> head = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01};
    struct Case {
        const char* name;
        std::vector<std::uint8_t> body;
        std::uint16_t inputLength;
    };
    const std::vector<Case> cases = {
        // the kernel takes these; a parser that refused them would hide a working device
        {"inverted usage range names no usage",
         {0x19, 0x10, 0x29, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0},
         2},
        {"usage maximum without minimum",
         {0x2A, 0x00, 0x01, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02, 0xC0},
         3},
        {"usage range across pages",
         {0x1B, 0x01, 0x00, 0x01, 0x00, 0x2B, 0x05, 0x00, 0x02, 0x00, 0x75, 0x01, 0x95, 0x08, 0x81,
          0x02, 0xC0},
         2},
        {"inverted physical range",
         {0x09, 0x01, 0x35, 0x10, 0x45, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0},
         2},
        {"64-bit data field", {0x09, 0x01, 0x75, 0x40, 0x95, 0x01, 0x81, 0x02, 0xC0}, 9},
        {"report id used by a second collection",
         {0x85, 0x09, 0x09, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0,
          0x09, 0x02, 0xA1, 0x01, 0x85, 0x09, 0x09, 0x02, 0x81, 0x02, 0xC0},
         3},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> descriptor = head;
        descriptor.insert(descriptor.end(), c.body.begin(), c.body.end());
        std::string error;
        const auto tops = ParseReportDescriptor(descriptor, &error);
        ASSERT_TRUE(tops) << c.name << ": " << error;
        EXPECT_EQ(tops->front().caps.inputReportByteLength, c.inputLength) << c.name;
    }

    // fields outside every collection belong to none, and the collection after them parses
    const std::vector<std::uint8_t> outside =
        Concat({{0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, ConsumerArray(0xFF, 0xFF)});
    const auto tops = ParseReportDescriptor(outside);
    ASSERT_TRUE(tops);
    ASSERT_EQ(tops->size(), 1u);
    EXPECT_EQ(FirstUsage(tops->front(), {0x03, 0x02, 0x04}), 1026);

    // collections nested deeper than the parser keeps fold into the deepest one kept
    std::vector<std::uint8_t> deep;
    for (int i = 0; i < 40; ++i)
        deep.insert(deep.end(), {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x00});
    deep.insert(deep.end(), {0x75, 0x08, 0x95, 0x03, 0x09, 0x05, 0x81, 0x02});
    deep.insert(deep.end(), 40, 0xC0);
    const auto nested = ParseReportDescriptor(deep);
    ASSERT_TRUE(nested);
    ASSERT_EQ(nested->size(), 1u);
    EXPECT_EQ(nested->front().caps.inputReportByteLength, 4);
    EXPECT_EQ(nested->front().caps.numberLinkCollectionNodes, 32);
}

TEST(HidReportDescriptorTest, HugeUsageListsAreTruncatedNotRefused) {
    // 2.3 KB of descriptor: 128 report ids, each with eight 4096-field button items. Every
    // button item would want a usage array of the page's whole list (4 million entries).
    std::vector<std::uint8_t> descriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15,
                                            0x00, 0x25, 0x01, 0x75, 0x01, 0x96, 0x00, 0x10};
    for (int id = 1; id <= 128; ++id) {
        descriptor.insert(descriptor.end(), {0x85, static_cast<std::uint8_t>(id)});
        for (int field = 0; field < 8; ++field)
            descriptor.insert(descriptor.end(), {0x81, 0x02});
    }
    descriptor.push_back(0xC0);
    std::string error;
    const auto tops = ParseReportDescriptor(descriptor, &error);
    ASSERT_TRUE(tops) << error;
    const HidDescriptorLimits limits;
    const auto items = BuildDataItems(tops->front(), HidReportType::Input);
    ASSERT_EQ(items.size(), 1024u);
    std::uint64_t entries = 0;
    for (const HidDataItem& item : items) {
        EXPECT_EQ(item.usages.size(), item.maxUsageCount);
        entries += item.usages.size();
    }
    EXPECT_EQ(entries, limits.maxUsageListEntries);
    EXPECT_EQ(items.front().maxUsageCount, limits.maxUsageListLength);
    EXPECT_EQ(items.back().maxUsageCount, 0u);
    // the items with arrays still decode
    std::vector<std::uint8_t> report(1 + 4096, 0);
    report[0] = 1;
    std::vector<HidDataItem> decoded = items;
    ASSERT_TRUE(UnpackReport(report.data(), static_cast<std::uint16_t>(report.size()),
                             HidReportType::Input, decoded.data(),
                             static_cast<std::uint32_t>(decoded.size()), tops->front()));
    EXPECT_TRUE(decoded.front().isSet);

    // a collection with more records than the limit keeps the first ones and says so
    HidDescriptorLimits small;
    small.maxCaps = 100;
    const auto cut = ParseReportDescriptor(descriptor, &error, small);
    ASSERT_TRUE(cut);
    EXPECT_FALSE(cut->front().complete);
    EXPECT_EQ(cut->front().buttonCaps[0].size(), 100u);
}

TEST(HidReportDescriptorTest, UnpackNeverReadsPastTheReport) {
    auto tops = ParseReportDescriptor(vpc::sim::KeypadInterfaceDescriptor());
    ASSERT_TRUE(tops);
    const HidPreparsedData& consumer = (*tops)[2];
    auto items = BuildDataItems(consumer, HidReportType::Input);
    ASSERT_EQ(items.size(), 1u);
    ASSERT_EQ(items[0].maxUsageCount, 1u);

    // only the id byte and half the code arrived
    const std::uint8_t shortReport[2] = {0x03, 0x01};
    EXPECT_TRUE(UnpackReport(shortReport, 2, HidReportType::Input, items.data(), 1, consumer));
    EXPECT_EQ(items[0].status, kHidStatusInvalidReportLength);
    EXPECT_EQ(items[0].usages[0], 0);

    // a value item on a short report stops decoding with false
    const HidPreparsedData& vendor = (*tops)[3];
    auto values = BuildDataItems(vendor, HidReportType::Input);
    ASSERT_EQ(values.size(), 1u);
    const std::uint8_t vendorShort[1] = {0x04};
    EXPECT_FALSE(UnpackReport(vendorShort, 1, HidReportType::Input, values.data(), 1, vendor));
    EXPECT_FALSE(values[0].isSet);

    // a report whose id matches no item changes nothing and succeeds
    items[0] = HidDataItem{};
    items[0].isButton = true;
    items[0].reportId = 3;
    items[0].usages = {0x55};
    const std::uint8_t other[3] = {0x09, 0x01, 0x04};
    EXPECT_TRUE(UnpackReport(other, 3, HidReportType::Input, items.data(), 1, consumer));
    EXPECT_FALSE(items[0].isSet);
    EXPECT_EQ(items[0].usages[0], 0x55);
}

TEST(HidReportDescriptorTest, KeyboardArrayKeepsOnlyUsagesInTheItemRange) {
    auto tops = ParseReportDescriptor(vpc::sim::KeypadInterfaceDescriptor());
    ASSERT_TRUE(tops);
    const HidPreparsedData& keyboard = (*tops)[0];
    auto items = BuildDataItems(keyboard, HidReportType::Input);
    ASSERT_EQ(items.size(), 2u);
    // item 0: modifiers E0..E7; item 1: key array 0..255; both carry page 7 usages
    EXPECT_EQ(items[0].maxUsageCount, 8u + 6u);
    const std::uint8_t report[9] = {0x01, 0x02, 0x00, 0x04, 0x05, 0x00, 0x00, 0x00, 0x00};
    ASSERT_TRUE(UnpackReport(report, 9, HidReportType::Input, items.data(), 2, keyboard));
    EXPECT_EQ(items[0].usages[0], 0xE1); // left shift only: A and B lie outside E0..E7
    EXPECT_EQ(items[0].usages[1], 0);
    EXPECT_EQ(items[1].usages[0], 0xE1);
    EXPECT_EQ(items[1].usages[1], 0x04);
    EXPECT_EQ(items[1].usages[2], 0x05);
    EXPECT_EQ(items[1].usages[3], 0);
}

} // namespace
