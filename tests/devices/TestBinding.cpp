// Binding slotList to device objects: cable, receiver, switching between them, removal.
#include "DeviceTestSupport.h"

#include <condition_variable>

using namespace vpc;
using namespace vpc::devices;
using hid::CCommandChannel;

using BindingTest = test::BindingTest;

TEST_F(BindingTest, CableOpensTheChannelWiredAndTheNotificationInterface) {
    keypad->PlugCable();
    Pass();
    CDeviceConnection& keyboard = host->Keyboard();
    EXPECT_TRUE(keyboard.Channel().IsEnabled());
    EXPECT_EQ(keyboard.Channel().GetMode(), CCommandChannel::kModeWired);
    EXPECT_EQ(keyboard.Channel().GetChunkSize(), CCommandChannel::kWiredChunk);
    EXPECT_TRUE(keyboard.Channel().WiredInterface().IsOpen());
    EXPECT_FALSE(keyboard.Channel().ReceiverInterface().IsOpen());
    EXPECT_TRUE(keyboard.IsNotificationOpen(ConnectionLink::Cable));
    EXPECT_TRUE(keyboard.Notification(ConnectionLink::Cable).IsSyncRunning());
    EXPECT_EQ(keyboard.Identity(), SupportedDeviceTable()[0]);
    EXPECT_EQ(host->shown, 1);
    EXPECT_EQ(host->firstLoads, 1);
    EXPECT_EQ(host->created, 0); // the keyboard object existed from the start
    // the channel really talks to the keypad
    std::uint8_t info[34] = {};
    EXPECT_EQ(keyboard.Channel().ReadInfoBlock(info), CCommandChannel::kOk);
    EXPECT_EQ(info[5], sim::CSimKeypad::kKeyCount);
}

TEST_F(BindingTest, KeypadStaysOnTheCableMovesToTheReceiverAndComesBack) {
    keypad->PlugCable();
    Pass();
    keypad->PlugReceiver();
    Pass();
    CDeviceConnection& keyboard = host->Keyboard();
    EXPECT_TRUE(slotList.IsPresent(2));
    EXPECT_TRUE(slotList.IsPresent(3));
    EXPECT_EQ(keyboard.Channel().GetMode(), CCommandChannel::kModeWired);
    EXPECT_FALSE(keyboard.Channel().ReceiverInterface().IsOpen());
    EXPECT_EQ(host->linkChecks, 0);

    keypad->UnplugCable();
    Pass();
    EXPECT_TRUE(keyboard.Channel().IsEnabled());
    EXPECT_EQ(keyboard.Channel().GetMode(), CCommandChannel::kModeReceiver);
    EXPECT_EQ(keyboard.Channel().GetChunkSize(), CCommandChannel::kReceiverChunk);
    EXPECT_TRUE(keyboard.Channel().ReceiverInterface().IsOpen());
    EXPECT_EQ(host->linkChecks, 1);
    EXPECT_EQ(host->receiverModeLists, 1);
    keypad->ClearPacketLog();
    std::uint8_t info[34] = {};
    EXPECT_EQ(keyboard.Channel().ReadInfoBlock(info), CCommandChannel::kOk);
    const auto packets = keypad->AcceptedPackets(0x03);
    ASSERT_FALSE(packets.empty());
    EXPECT_EQ(packets.front().link, sim::SimLink::Receiver);

    const int loadsBefore = host->firstLoads;
    keypad->PlugCable();
    Pass();
    EXPECT_EQ(keyboard.Channel().GetMode(), CCommandChannel::kModeWired);
    EXPECT_EQ(keyboard.Channel().GetChunkSize(), CCommandChannel::kWiredChunk);
    EXPECT_EQ(host->firstLoads, loadsBefore + 1);
    EXPECT_EQ(host->onlineSent, 1);
    EXPECT_EQ(host->wiredModeLists, 1);
    keypad->ClearPacketLog();
    EXPECT_EQ(keyboard.Channel().ReadInfoBlock(info), CCommandChannel::kOk);
    EXPECT_EQ(keypad->AcceptedPackets(0x03).front().link, sim::SimLink::Cable);
}

TEST_F(BindingTest, PullingTheReceiverInUseClosesTheChannelAndStopsItsSyncThread) {
    keypad->PlugReceiver();
    Pass();
    CDeviceConnection& keyboard = host->Keyboard();
    ASSERT_TRUE(keyboard.Channel().IsEnabled());
    EXPECT_EQ(keyboard.Channel().GetMode(), CCommandChannel::kModeReceiver);
    EXPECT_EQ(host->shown, 0); // a receiver shows its entry only once the device answers
    EXPECT_EQ(host->firstLoads, 1);
    ASSERT_TRUE(keyboard.Notification(ConnectionLink::Receiver).IsSyncRunning());

    keypad->UnplugReceiver();
    Pass();
    EXPECT_FALSE(keyboard.Channel().IsEnabled());
    EXPECT_FALSE(keyboard.Channel().ReceiverInterface().IsOpen());
    EXPECT_FALSE(keyboard.Channel().WiredInterface().IsOpen());
    EXPECT_FALSE(keyboard.IsNotificationOpen(ConnectionLink::Receiver));
    EXPECT_FALSE(keyboard.Notification(ConnectionLink::Receiver).IsSyncRunning());
    EXPECT_EQ(host->unbound, 1);
    EXPECT_EQ(bus->OpenConnectionCount(), 0u);
}

TEST_F(BindingTest, AFailedOpenWhileSwitchingKeepsTheWorkingReceiver) {
    keypad->PlugReceiver();
    Pass();
    CDeviceConnection& keyboard = host->Keyboard();
    ASSERT_EQ(keyboard.Channel().GetMode(), CCommandChannel::kModeReceiver);
    // discovery may look at the cable (read only); the channel may not open it
    backend->denyOpen = [](const std::string& path, const hid::HidOpenFlags& flags) {
        return flags.write && hid::PathProductId(path) == sim::CSimKeypad::kCableProductId;
    };
    keypad->PlugCable();
    Pass();
    EXPECT_TRUE(slotList.IsPresent(0));
    EXPECT_TRUE(keyboard.Channel().IsEnabled());
    EXPECT_EQ(keyboard.Channel().GetMode(), CCommandChannel::kModeReceiver);
    std::uint8_t info[34] = {};
    EXPECT_EQ(keyboard.Channel().ReadInfoBlock(info), CCommandChannel::kOk);
}

TEST_F(BindingTest, NotificationReportsReachTheHandlerWithTheirUsage) {
    keypad->PlugCable();
    Pass();
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::pair<ConnectionLink, std::uint16_t>> seen;
    host->Keyboard().SetNotificationHandler([&](ConnectionLink link, std::uint16_t usage) {
        std::lock_guard lock(mutex);
        seen.emplace_back(link, usage);
        arrived.notify_all();
    });
    keypad->SwitchOnboardProfile(2);
    keypad->SendNotification(0x0042);
    std::unique_lock lock(mutex);
    ASSERT_TRUE(arrived.wait_for(lock, std::chrono::seconds(5), [&] { return seen.size() >= 2; }));
    EXPECT_EQ(seen[0], std::make_pair(ConnectionLink::Cable, std::uint16_t{0x1002}));
    EXPECT_EQ(seen[1], std::make_pair(ConnectionLink::Cable, std::uint16_t{0x0042}));
}

TEST_F(BindingTest, ReopeningANotificationInterfaceStopsTheOldThreadFirst) {
    keypad->PlugCable();
    Pass();
    CDeviceConnection& keyboard = host->Keyboard();
    const std::string path = slotList.Get(1)->path;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(keyboard.OpenNotification(kModelKeyboard, path));
    EXPECT_TRUE(keyboard.Notification(ConnectionLink::Cable).IsSyncRunning());
    // the command interface and one notification interface: nothing left over
    EXPECT_EQ(bus->OpenConnectionCount(), 2u);
    keyboard.CloseNotification(kModelKeyboard);
    EXPECT_FALSE(keyboard.Notification(ConnectionLink::Cable).IsSyncRunning());
    EXPECT_EQ(bus->OpenConnectionCount(), 1u);
}

TEST_F(BindingTest, SlotsOutsideTheListAreIgnored) {
    binder->OnDeviceArrived(-1);
    binder->OnDeviceArrived(11);
    binder->OnDeviceRemoved(99);
    EXPECT_EQ(host->afterArrival, 0);
    EXPECT_EQ(host->unbound, 0);
}
