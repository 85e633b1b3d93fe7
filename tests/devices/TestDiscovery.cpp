// The supported-device table, slotList and the discovery passes.
#include "DeviceTestSupport.h"

#include "CSimMousePad.h"
#include "SimKeypadMemory.h"
#include "SimulatedDevices.h"
#include "UdevRule.h"

#include <algorithm>
#include <functional>
#include <set>
#include <thread>

using namespace vpc;
using namespace vpc::devices;

TEST(DeviceTable, PartnersNameEachOtherAndEqualityIgnoresBinding) {
    const auto& table = SupportedDeviceTable();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i].hasPartner == 0)
            continue;
        SCOPED_TRACE(i);
        const DeviceIdentity& partner = table[table[i].partnerRow];
        EXPECT_EQ(partner.partnerRow, i);
        EXPECT_EQ(partner.role, table[i].role);
        EXPECT_NE(IsReceiverModel(partner.modelCode), IsReceiverModel(table[i].modelCode));
    }
    DeviceIdentity bound = table[0];
    bound.present = 1;
    bound.path = "/dev/hidraw1#vid_320f&pid_5055&mi_01&col04";
    EXPECT_EQ(bound, table[0]);
    EXPECT_FALSE(table[0] == table[1]);
}

TEST(DeviceTable, HeadsetPathWithoutCollectionMatchesRowTen) {
    CSlotList slotList;
    DeviceIdentity candidate;
    candidate.vendorId = 0x0C76;
    candidate.productId = 0x1630;
    candidate.interfaceNumber = PathInterfaceNumber("/dev/hidraw2#vid_0c76&pid_1630&mi_03");
    candidate.collectionNumber = PathCollectionNumber("/dev/hidraw2#vid_0c76&pid_1630&mi_03");
    candidate.usagePage = 0x000C;
    candidate.usage = 0x01;
    EXPECT_EQ(slotList.BindFirstFree(candidate, "/dev/hidraw2#vid_0c76&pid_1630&mi_03"), 10);
    // each row exists once: a second headset finds no free slot
    EXPECT_FALSE(slotList.BindFirstFree(candidate, "/dev/hidraw5#vid_0c76&pid_1630&mi_03"));
}

TEST(DeviceTable, UdevRuleNamesEveryProductOfTheTableWithUaccess) {
    const std::string rule = packaging::MakeUdevRule();
    std::set<std::pair<int, int>> products;
    for (const DeviceIdentity& row : SupportedDeviceTable())
        products.emplace(row.vendorId, row.productId);
    std::size_t ruleLines = 0;
    std::size_t start = 0;
    while (start < rule.size()) {
        std::size_t end = rule.find('\n', start);
        const std::string line = rule.substr(start, end - start);
        start = end == std::string::npos ? rule.size() : end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        ++ruleLines;
        EXPECT_NE(line.find("SUBSYSTEM==\"hidraw\""), std::string::npos) << line;
        EXPECT_NE(line.find("TAG+=\"uaccess\""), std::string::npos) << line;
        const auto vid = hid::FindHexField(line, "idVendor}==\"");
        const auto pid = hid::FindHexField(line, "idProduct}==\"");
        ASSERT_TRUE(vid && pid) << line;
        EXPECT_EQ(products.erase({static_cast<int>(*vid), static_cast<int>(*pid)}), 1u) << line;
    }
    EXPECT_TRUE(products.empty());
    EXPECT_EQ(ruleLines, 6u);
}

// The program's --simulate kinds: a keypad may start in a named lighting mode; anything
// unreadable is reported and skipped.
TEST(SimulatedDevices, KindsPlugTheirProductsAndAKeypadMayStartInAMode) {
    const auto previous = hid::DefaultHidBackend();
    {
        sim::CSimulatedDevices simulated(
            {"keypad:4", "keypad:", "keypad:256", "mousepad:3", "printer", "mousepad"});
        EXPECT_EQ(simulated.UnknownKinds(),
                  (std::vector<std::string>{"keypad:", "keypad:256", "mousepad:3", "printer"}));
        ASSERT_EQ(simulated.Devices().size(), 2u);
        sim::SimKeypadMemory memory(*simulated.Devices()[0]);
        EXPECT_EQ(memory.OnboardRecord(memory.ActiveSlot())[1], 4);
        EXPECT_NE(hid::DefaultHidBackend(), previous);
    }
    EXPECT_EQ(hid::DefaultHidBackend(), previous);
}

using DiscoveryTest = test::BindingTest;

TEST_F(DiscoveryTest, NothingPluggedTheFirstPassStillActivatesOnce) {
    Pass();
    Pass();
    EXPECT_TRUE(sink->events.empty());
    EXPECT_EQ(sink->firstPasses.load(), 1);
}

TEST_F(DiscoveryTest, CableFillsSlotsZeroAndOneInListingOrder) {
    keypad->PlugCable();
    Pass();
    // the bus lists the consumer collection (slot 1) before the command collection (slot 0)
    EXPECT_EQ(sink->events, (std::vector<int>{1, 0}));
    EXPECT_TRUE(slotList.IsPresent(0));
    EXPECT_TRUE(slotList.IsPresent(1));
    EXPECT_EQ(slotList.PresentCount(), 2u);
    Pass();
    EXPECT_EQ(sink->events.size(), 2u); // a bound slot is not reported again
    keypad->UnplugCable();
    Pass();
    EXPECT_EQ(slotList.PresentCount(), 0u);
    std::vector<int> removed(sink->events.begin() + 2, sink->events.end());
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<int>{-2, -1}));
}

TEST_F(DiscoveryTest, FailedListingsAreRetriedAndTheActivationStillComes) {
    backend->failListings = 2;
    keypad->PlugCable();
    Pass();
    EXPECT_EQ(sink->firstPasses.load(), 1);
    EXPECT_TRUE(sink->events.empty());
    Pass();
    EXPECT_TRUE(sink->events.empty());
    Pass();
    EXPECT_EQ(discovery->FailedListings(), 2);
    EXPECT_EQ(sink->events.size(), 2u);
    EXPECT_EQ(sink->firstPasses.load(), 1);
}

TEST_F(DiscoveryTest, AccessDeniedIsReportedOnceAndTheDeviceBindsWhenAllowed) {
    bool denied = true;
    backend->denyOpen = [&](const std::string&, const hid::HidOpenFlags&) { return denied; };
    discovery->SetAccessProbe([](const std::string&) { return true; });
    keypad->PlugCable();
    Pass();
    Pass();
    Pass();
    EXPECT_EQ(sink->accessDenied, 1);
    EXPECT_TRUE(sink->events.empty());
    denied = false; // the user installed the rule and plugged the device in again
    Pass();
    EXPECT_EQ(sink->events.size(), 2u);
    EXPECT_EQ(sink->accessDenied, 1);
}

TEST_F(DiscoveryTest, SecondIdenticalMousePadIsIgnoredUntilTheFirstGoes) {
    auto first = sim::CSimMousePad::Create();
    auto second = sim::CSimMousePad::Create();
    bus->Attach(first);
    bus->Attach(second);
    first->PlugCable();
    second->PlugCable();
    Pass();
    EXPECT_EQ(sink->events.size(), 2u);
    EXPECT_EQ(host->created, 1); // the pad's object is made the first time it is seen
    const std::string firstPath = slotList.Get(8)->path;
    EXPECT_EQ(firstPath, bus->CommandPath(*first, sim::SimLink::Cable));
    Pass();
    EXPECT_EQ(sink->events.size(), 2u);
    first->UnplugCable();
    Pass(); // the first pad's slotList are freed
    Pass(); // and the second pad takes them
    EXPECT_EQ(slotList.Get(8)->path, bus->CommandPath(*second, sim::SimLink::Cable));
    EXPECT_EQ(host->created, 1);
}

TEST_F(DiscoveryTest, TheThreadStopsPromptlyFromItsSleep) {
    keypad->PlugCable();
    ASSERT_TRUE(discovery->Start());
    EXPECT_FALSE(discovery->Start());
    for (int i = 0; i < 200 && slotList.PresentCount() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(slotList.PresentCount(), 2u);
    discovery->Stop();
    EXPECT_FALSE(discovery->IsRunning());
    // a second thread life starts with a fresh exit event
    ASSERT_TRUE(discovery->Start());
    discovery->Stop();
}

namespace {

// Waits (without asserting) until the condition holds or five seconds pass.
bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 500 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}

} // namespace

TEST_F(DiscoveryTest, NotificationsAloneDriveThePassesInTheSameOrder) {
    // no safety pass in the test's lifetime: only the bus's notifications can bind
    discovery->SetSafetyPassInterval(std::chrono::hours(1));
    ASSERT_TRUE(discovery->Start());
    ASSERT_TRUE(WaitFor([&] { return sink->firstPasses.load() == 1; }));
    keypad->PlugCable();
    const bool bound = WaitFor([&] { return slotList.PresentCount() == 2; });
    keypad->UnplugCable();
    const bool released = WaitFor([&] { return slotList.PresentCount() == 0; });
    keypad->PlugReceiver();
    const bool receiver = WaitFor([&] { return slotList.PresentCount() == 2; });
    discovery->Stop();
    EXPECT_TRUE(bound);
    EXPECT_TRUE(released);
    EXPECT_TRUE(receiver);
    // the consumer collection (slot 1) before the command collection (slot 0), as a pass
    // run by hand gives them; the receiver's slots are 3 and 2
    ASSERT_EQ(sink->events.size(), 6u);
    EXPECT_EQ(std::vector<int>(sink->events.begin(), sink->events.begin() + 2),
              (std::vector<int>{1, 0}));
    std::vector<int> removed(sink->events.begin() + 2, sink->events.begin() + 4);
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<int>{-2, -1}));
    EXPECT_EQ(std::vector<int>(sink->events.begin() + 4, sink->events.end()),
              (std::vector<int>{3, 2}));
}

TEST_F(DiscoveryTest, WithoutNotificationsTheSafetyPassStillFindsAndLosesTheDevice) {
    backend->silent = true;
    discovery->SetSafetyPassInterval(std::chrono::milliseconds(40));
    ASSERT_TRUE(discovery->Start());
    keypad->PlugCable();
    const bool bound = WaitFor([&] { return slotList.PresentCount() == 2; });
    keypad->UnplugCable();
    const bool released = WaitFor([&] { return slotList.PresentCount() == 0; });
    discovery->Stop();
    EXPECT_TRUE(bound);
    EXPECT_TRUE(released);
    EXPECT_EQ(sink->events.size(), 4u);
}

TEST_F(DiscoveryTest, ANodeJustMadeIsNotReportedAsForbiddenBeforeUdevHadItsTurn) {
    backend->denyOpen = [](const std::string&, const hid::HidOpenFlags&) { return true; };
    discovery->SetAccessProbe([](const std::string&) { return true; });
    discovery->SetSafetyPassInterval(std::chrono::hours(1));
    ASSERT_TRUE(discovery->Start());
    ASSERT_TRUE(WaitFor([&] { return discovery->PassCount() == 1; }));
    keypad->PlugCable();
    const bool passed = WaitFor([&] { return discovery->PassCount() == 2; });
    discovery->Stop();
    EXPECT_TRUE(passed);
    EXPECT_EQ(sink->accessDenied, 0) << "the pass right after the node came";
    // the safety pass later on: the access really is missing
    discovery->SetSafetyPassInterval(std::chrono::milliseconds(20));
    ASSERT_TRUE(discovery->Start());
    const bool safetyPassed = WaitFor([&] { return discovery->PassCount() >= 4; });
    discovery->Stop();
    EXPECT_TRUE(safetyPassed);
    EXPECT_EQ(sink->accessDenied, 1);
}
