#include "SimChannelFixture.h"

#include "CommandPacket.h"
#include "HidReportDescriptor.h"
#include "SimDescriptors.h"

#include <array>
#include <chrono>
#include <future>
#include <thread>

using namespace std::chrono_literals;
using vpc::hid::CHidDevice;
using vpc::hid::HidDataItem;
using vpc::hid::HidReportType;
using vpc::sim::SimLink;

namespace vpc::test {
namespace {

TEST(HidPathTest, NumbersFromThePathIgnoringCaseAbsentOnesZero) {
    struct Case {
        const char* path;
        std::uint16_t vid, pid, mi, col;
    };
    for (const Case& c : {
             Case{"sim:hid3#vid_320f&pid_5055&mi_01&col04", 0x320F, 0x5055, 1, 4},
             Case{"/dev/hidraw7#VID_0C76&PID_1630&MI_03", 0x0C76, 0x1630, 3, 0},
             Case{"\\\\?\\hid#vid_320f&pid_1004&mi_01&Col0A#7&1234", 0x320F, 0x1004, 1, 10},
             Case{"\\\\?\\HID#VID_320F&PID_5088&MI_01&COL03#7&1a2b", 0x320F, 0x5088, 1, 3},
             Case{"sim:hid7#vid_320F&pid_221d&mi_02&col0b", 0x320F, 0x221D, 2, 11},
             Case{"no numbers here", 0, 0, 0, 0},
             Case{"mi_05col06", 0, 0, 0, 0},
             Case{"vid_&pid_zz&mi_&col", 0, 0, 0, 0},
         }) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(hid::PathVendorId(c.path), c.vid);
        EXPECT_EQ(hid::PathProductId(c.path), c.pid);
        EXPECT_EQ(hid::PathInterfaceNumber(c.path), c.mi);
        EXPECT_EQ(hid::PathCollectionNumber(c.path), c.col);
    }
    EXPECT_EQ(hid::MakeInterfaceTail(0x320F, 0x5055, 1, 4), "vid_320f&pid_5055&mi_01&col04");
    EXPECT_EQ(hid::MakeInterfaceTail(0x0C76, 0x1630, 3, 0), "vid_0c76&pid_1630&mi_03");
    EXPECT_EQ(hid::MakeInterfaceTail(0x1, 0x2, -1, 0), "vid_0001&pid_0002");
}

class SimHidDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = sim::CSimHidBackend::Create();
        keypad = bus->AddKeypad();
    }
    std::shared_ptr<sim::CSimHidBackend> bus;
    std::shared_ptr<sim::CSimKeypad> keypad;
};

TEST_F(SimHidDeviceTest, EnumerationFollowsPlugging) {
    CHidDevice device(bus);
    ASSERT_TRUE(device.EnumerateInterfaces());
    EXPECT_EQ(device.InterfacePathCount(), 0u);
    EXPECT_FALSE(device.NextInterfacePath().has_value());

    keypad->PlugCable();
    ASSERT_TRUE(device.EnumerateInterfaces());
    std::vector<std::string> paths;
    while (auto p = device.NextInterfacePath())
        paths.push_back(*p);
    ASSERT_EQ(paths.size(), 4u);
    for (unsigned c = 1; c <= 4; ++c) {
        EXPECT_EQ(hid::PathCollectionNumber(paths[c - 1]), c);
        EXPECT_EQ(hid::PathInterfaceNumber(paths[c - 1]), 1);
        EXPECT_EQ(hid::PathProductId(paths[c - 1]), 0x5055);
    }
    keypad->PlugReceiver();
    ASSERT_TRUE(device.EnumerateInterfaces());
    EXPECT_EQ(device.InterfacePathCount(), 8u);
    keypad->UnplugCable();
    ASSERT_TRUE(device.EnumerateInterfaces());
    ASSERT_EQ(device.InterfacePathCount(), 4u);
    EXPECT_EQ(hid::PathProductId(*device.NextInterfacePath()), 0x5088);
    device.FreeInterfacePaths();
    EXPECT_FALSE(device.NextInterfacePath().has_value());
}

TEST_F(SimHidDeviceTest, ManyInterfacesAreAllListed) {
    std::vector<std::shared_ptr<sim::CSimKeypad>> keypads{keypad};
    for (int i = 0; i < 5; ++i)
        keypads.push_back(bus->AddKeypad());
    for (auto& k : keypads) {
        k->PlugCable();
        k->PlugReceiver();
    }
    CHidDevice device(bus);
    ASSERT_TRUE(device.EnumerateInterfaces());
    std::set<std::string> unique;
    while (auto p = device.NextInterfacePath())
        unique.insert(*p);
    EXPECT_EQ(unique.size(), 48u);
}

TEST_F(SimHidDeviceTest, OpenReadsIdentityAndCapabilities) {
    keypad->PlugCable();
    CHidDevice device(bus);
    ASSERT_TRUE(device.Open(bus->CommandPath(*keypad, SimLink::Cable), true, true, true, false));
    EXPECT_EQ(device.Attributes().vendorId, 0x320F);
    EXPECT_EQ(device.Attributes().productId, 0x5055);
    EXPECT_EQ(device.Attributes().versionNumber, 0x0102);
    EXPECT_EQ(device.Capabilities().usagePage, 0xFF1C);
    EXPECT_EQ(device.Capabilities().usage, 0x92);
    EXPECT_EQ(device.Capabilities().inputReportByteLength, 64);
    EXPECT_EQ(device.Capabilities().outputReportByteLength, 64);
    EXPECT_EQ(device.Capabilities().featureReportByteLength, 0);
    EXPECT_EQ(device.InterfaceNumber(), 1u);
    EXPECT_EQ(device.CollectionNumber(), 4u);
    EXPECT_EQ(device.ReportBuffer(HidReportType::Input).size(), 64u);

    ASSERT_TRUE(
        device.Open(bus->NotificationPath(*keypad, SimLink::Cable), true, false, true, false));
    EXPECT_EQ(device.Capabilities().usagePage, 0x000C);
    EXPECT_EQ(device.Capabilities().usage, 0x01);
    EXPECT_EQ(device.Capabilities().inputReportByteLength, 3);
    EXPECT_EQ(device.CollectionNumber(), 3u);
    ASSERT_EQ(device.DataItems(HidReportType::Input).size(), 1u);
    EXPECT_TRUE(device.DataItems(HidReportType::Input)[0].isButton);

    EXPECT_FALSE(device.Open("sim:hid99#vid_320f&pid_5055&mi_01&col04", true, true, true, false));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_FALSE(device.Open(std::string(300, 'x'), true, true, true, false));
}

TEST_F(SimHidDeviceTest, ReportsReachOnlyTheirCollection) {
    keypad->PlugCable();
    CHidDevice command(bus);
    CHidDevice notify(bus);
    ASSERT_TRUE(command.Open(bus->CommandPath(*keypad, SimLink::Cable), true, true, true, false));
    ASSERT_TRUE(
        notify.Open(bus->NotificationPath(*keypad, SimLink::Cable), true, true, true, false));
    keypad->SendNotification(0x0401);
    std::array<std::uint8_t, 64> buffer{};
    std::size_t got = 0;
    EXPECT_FALSE(command.Read(buffer.data(), buffer.size(), &got, 0));
    ASSERT_TRUE(notify.Read(buffer.data(), buffer.size(), &got, 100));
    ASSERT_EQ(got, 3u);
    EXPECT_EQ(buffer[0], 3);
    ASSERT_TRUE(
        notify.UnpackReport(buffer.data(), static_cast<std::uint16_t>(got), HidReportType::Input));
    const HidDataItem& item = notify.DataItems(HidReportType::Input)[0];
    EXPECT_TRUE(item.isSet);
    EXPECT_EQ(item.usages[0], 0x0401);

    // a command reply lands on the command collection only
    hid::CommandPacket packet = hid::CommandPacket::Make(0x1C);
    packet.UpdateChecksum();
    ASSERT_TRUE(command.Write(packet.bytes.data(), 64, &got, 100));
    EXPECT_EQ(got, 64u);
    ASSERT_TRUE(command.Read(buffer.data(), buffer.size(), &got, 100));
    EXPECT_EQ(buffer[3], 0x1C);
    EXPECT_FALSE(notify.Read(buffer.data(), buffer.size(), &got, 0));
    EXPECT_EQ(got, 0u);
}

TEST_F(SimHidDeviceTest, CloseWakesEveryWaitingTransfer) {
    keypad->PlugCable();
    CHidDevice device(bus);
    ASSERT_TRUE(device.Open(bus->CommandPath(*keypad, SimLink::Cable), true, true, true, false));
    // the device takes no writes for a minute: a write waits as long as a read
    keypad->InjectFault(sim::SimFault::Make(sim::SimFaultKind::StallWrites, 60s));
    auto reader = std::async(std::launch::async, [&] {
        std::array<std::uint8_t, 64> in{};
        return device.Read(in.data(), in.size(), nullptr, CHidDevice::kInfinite);
    });
    auto writer = std::async(std::launch::async, [&] {
        hid::CommandPacket packet = hid::CommandPacket::Make(0x1C);
        packet.UpdateChecksum();
        return device.Write(packet.bytes.data(), packet.bytes.size(), nullptr,
                            CHidDevice::kInfinite);
    });
    while (!device.IsReadPending() || !device.IsWritePending())
        std::this_thread::sleep_for(1ms);
    device.Close();
    EXPECT_FALSE(device.IsReadPending());
    EXPECT_FALSE(device.IsWritePending());
    ASSERT_EQ(reader.wait_for(10s), std::future_status::ready);
    ASSERT_EQ(writer.wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(reader.get());
    EXPECT_FALSE(writer.get());
    EXPECT_TRUE(keypad->AcceptedPackets().empty());
}

} // namespace
} // namespace vpc::test
