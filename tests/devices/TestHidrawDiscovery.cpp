// Discovery and binding end to end through the real hidraw backend: the simulated keypad
// appears and disappears as emulated hidraw nodes (umockdev sysfs, FUSE device files).
#include "DeviceTestSupport.h"

#include "CHidrawTestbed.h"
#include "CSimHidrawHost.h"
#include "CSimKeypad.h"
#include "HidrawBackend.h"

#include <condition_variable>
#include <cstdlib>

using namespace vpc;
using namespace vpc::devices;
using hid::CCommandChannel;

namespace {

class HidrawDiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string why;
        testbed = hidemu::CHidrawTestbed::Create(true, &why);
        if (!testbed) {
            if (std::getenv("CI") != nullptr)
                FAIL() << "emulated hidraw unavailable in CI: " << why;
            GTEST_SKIP() << "emulated hidraw unavailable: " << why;
        }
        backend = std::make_shared<hid::CHidrawBackend>(); // the real "/sys" and "/dev"
        keypad = sim::CSimKeypad::Create();
        simHost = hidemu::CSimHidrawHost::Create(*testbed);
        simHost->Attach(keypad);
        host = std::make_unique<test::FakeDeviceHost>(backend);
        binder = std::make_unique<CDeviceBinder>(slotList, *host);
        sink = std::make_unique<test::DirectSink>(binder.get());
        discovery = std::make_unique<CDiscoveryThread>(slotList, *sink, backend);
    }
    void TearDown() override {
        discovery.reset();
        host.reset();
        simHost.reset();
        testbed.reset();
    }
    void Pass() { ASSERT_TRUE(discovery->RunCycle()); }

    std::unique_ptr<hidemu::CHidrawTestbed> testbed;
    std::shared_ptr<hid::CHidrawBackend> backend;
    std::shared_ptr<sim::CSimKeypad> keypad;
    std::shared_ptr<hidemu::CSimHidrawHost> simHost;
    CSlotList slotList;
    std::unique_ptr<test::FakeDeviceHost> host;
    std::unique_ptr<CDeviceBinder> binder;
    std::unique_ptr<test::DirectSink> sink;
    std::unique_ptr<CDiscoveryThread> discovery;
};

} // namespace

TEST_F(HidrawDiscoveryTest, TheKeypadIsBoundAndUnboundAsItsNodesComeAndGo) {
    Pass();
    EXPECT_TRUE(sink->events.empty());
    keypad->PlugCable();
    Pass();
    ASSERT_EQ(sink->events.size(), 2u);
    EXPECT_TRUE(slotList.IsPresent(0));
    EXPECT_TRUE(slotList.IsPresent(1));
    const std::string node = simHost->NodeOf(*keypad, sim::SimLink::Cable);
    EXPECT_EQ(slotList.Get(0)->path.rfind("/dev/" + node + "#", 0), 0u) << slotList.Get(0)->path;

    CDeviceConnection& keyboard = host->Keyboard();
    ASSERT_TRUE(keyboard.Channel().IsEnabled());
    std::uint8_t info[34] = {};
    EXPECT_EQ(keyboard.Channel().ReadInfoBlock(info), CCommandChannel::kOk);
    EXPECT_EQ(info[5], sim::CSimKeypad::kKeyCount);

    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::uint16_t> usages;
    keyboard.SetNotificationHandler([&](ConnectionLink, std::uint16_t usage) {
        std::lock_guard lock(mutex);
        usages.push_back(usage);
        arrived.notify_all();
    });
    keypad->SendNotification(0x0777);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(
            arrived.wait_for(lock, std::chrono::seconds(10), [&] { return !usages.empty(); }));
        EXPECT_EQ(usages.front(), 0x0777);
    }

    keypad->UnplugCable();
    Pass();
    EXPECT_FALSE(slotList.IsPresent(0));
    EXPECT_FALSE(slotList.IsPresent(1));
    EXPECT_FALSE(keyboard.Channel().IsEnabled());
    EXPECT_FALSE(keyboard.Channel().WiredInterface().IsOpen());
    EXPECT_FALSE(keyboard.Notification(ConnectionLink::Cable).IsSyncRunning());
    EXPECT_EQ(host->unbound, 1);

    // and again under the same names
    keypad->PlugCable();
    Pass();
    EXPECT_TRUE(keyboard.Channel().IsEnabled());
    EXPECT_EQ(keyboard.Channel().ReadInfoBlock(info), CCommandChannel::kOk);
}

TEST_F(HidrawDiscoveryTest, CableAndReceiverSwitchThroughHidraw) {
    keypad->PlugReceiver();
    Pass();
    CDeviceConnection& keyboard = host->Keyboard();
    ASSERT_EQ(keyboard.Channel().GetMode(), CCommandChannel::kModeReceiver);
    keypad->PlugCable();
    Pass();
    EXPECT_EQ(keyboard.Channel().GetMode(), CCommandChannel::kModeWired);
    std::uint8_t info[34] = {};
    keypad->ClearPacketLog();
    EXPECT_EQ(keyboard.Channel().ReadInfoBlock(info), CCommandChannel::kOk);
    EXPECT_EQ(keypad->AcceptedPackets(0x03).front().link, sim::SimLink::Cable);
    keypad->UnplugCable();
    Pass();
    EXPECT_EQ(keyboard.Channel().GetMode(), CCommandChannel::kModeReceiver);
    keypad->ClearPacketLog();
    EXPECT_EQ(keyboard.Channel().ReadInfoBlock(info), CCommandChannel::kOk);
    EXPECT_EQ(keypad->AcceptedPackets(0x03).front().link, sim::SimLink::Receiver);
}
