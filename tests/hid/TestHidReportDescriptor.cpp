#include "HidReportDescriptor.h"
#include "SimDescriptors.h"

#include <gtest/gtest.h>

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

TEST(HidReportDescriptorTest, MalformedDescriptorsAreRejected) {
    const std::vector<std::uint8_t> head = {0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04};
    struct Case {
        const char* name;
        std::vector<std::uint8_t> body;
    };
    const std::vector<Case> cases = {
        {"inverted usage range",
         {0x19, 0x10, 0x29, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}},
        {"inverted logical range",
         {0x09, 0x01, 0x15, 0x10, 0x25, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}},
        {"inverted physical range",
         {0x09, 0x01, 0x35, 0x10, 0x45, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}},
        {"absurd report count",
         {0x09, 0x01, 0x75, 0x08, 0x97, 0xFF, 0xFF, 0xFF, 0x7F, 0x81, 0x02, 0xC0}},
        {"report longer than the limit",
         {0x09, 0x01, 0x75, 0x20, 0x96, 0x00, 0x10, 0x81, 0x02, 0x81, 0x02, 0xC0}},
        {"64-bit data field", {0x09, 0x01, 0x75, 0x40, 0x95, 0x01, 0x81, 0x02, 0xC0}},
        {"collection never closed", {0x09, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"end without collection", {0xC0, 0xC0}},
        {"truncated item", {0x09, 0x01, 0x75, 0x08, 0x96, 0x01}},
        {"report id 0", {0x85, 0x00, 0xC0}},
        {"pop without push", {0xB4, 0xC0}},
        {"usage range across pages",
         {0x1B, 0x01, 0x00, 0x01, 0x00, 0x2B, 0x05, 0x00, 0x02, 0x00, 0x75, 0x01, 0x95, 0x05, 0x81,
          0x02, 0xC0}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> descriptor = head;
        descriptor.insert(descriptor.end(), c.body.begin(), c.body.end());
        std::string error;
        EXPECT_FALSE(ParseReportDescriptor(descriptor, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
    EXPECT_FALSE(ParseReportDescriptor(std::vector<std::uint8_t>{}));
    const std::vector<std::uint8_t> outside = {0x75, 0x08, 0x95, 0x01, 0x81, 0x02};
    EXPECT_FALSE(ParseReportDescriptor(outside));
    std::vector<std::uint8_t> deep;
    for (int i = 0; i < 40; ++i)
        deep.insert(deep.end(), {0x09, 0x01, 0xA1, 0x00});
    EXPECT_FALSE(ParseReportDescriptor(deep));
}

TEST(HidReportDescriptorTest, UsageListsThatWouldNeedHugeArraysAreRejected) {
    // 2.3 KB of descriptor: 128 report ids, each with eight 4096-field button arrays. Every
    // button item would get a usage array of the page's whole list (4 million entries).
    std::vector<std::uint8_t> descriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15,
                                            0x00, 0x25, 0x01, 0x75, 0x01, 0x96, 0x00, 0x10};
    for (int id = 1; id <= 128; ++id) {
        descriptor.insert(descriptor.end(), {0x85, static_cast<std::uint8_t>(id)});
        for (int field = 0; field < 8; ++field)
            descriptor.insert(descriptor.end(), {0x81, 0x02});
    }
    descriptor.push_back(0xC0);
    std::string error;
    EXPECT_FALSE(ParseReportDescriptor(descriptor, &error));
    EXPECT_EQ(error, "usage lists too long");

    // one such field alone stays within bounds and parses
    descriptor.resize(16 + 2 + 2);
    descriptor.push_back(0xC0);
    auto tops = ParseReportDescriptor(descriptor, &error);
    ASSERT_TRUE(tops) << error;
    EXPECT_EQ((*tops)[0].MaxUsageListLength(HidReportType::Input, 0xFF00), 4096u);
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
