// The device base: LED list bounds, generic lighting steps, live frames, the light-control
// notice and the power panel's reading of the status block.
#include "CorvaneUSBDevice.h"
#include "PowerStatus.h"

#include "CSimHidBackend.h"
#include "DeviceTestSupport.h"
#include "lighting/LightTables.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

using namespace vpc;
using namespace vpc::devices;
using lighting::LedColor;

TEST(DeviceLightState, LedEntriesOutsideTheListChangeNothing) {
    CDeviceLightState state;
    state.SetLedCapacity(15);
    state.SetLedColor(-1, {1, 2, 3, 4});
    state.SetLedColor(15, {1, 2, 3, 4});
    state.SetLedColor(14, {9, 8, 7, 6});
    EXPECT_EQ(state.GetLedColor(-1), LedColor{});
    EXPECT_EQ(state.GetLedColor(15), LedColor{});
    EXPECT_EQ(state.GetLedColor(14), (LedColor{9, 8, 7, 6}));
    state.SetLedCapacity(15); // set again: every entry is cleared
    EXPECT_EQ(state.GetLedColor(14), LedColor{});
}

TEST(DeviceLightState, BreathColorCycleShowsTwelveWheelColoursBeforeRepeating) {
    CDeviceLightState state;
    state.SetLedCapacity(3);
    DeviceLightRecord record;
    record.brightness = 4;
    record.direction = 1;
    record.multiColor = 1;
    state.SetRecord(record);
    std::vector<int> indexes;
    for (int step = 0; step < 13 * 128; ++step) {
        state.StepBreathColorCycle();
        if (state.Phase() == 1)
            indexes.push_back(state.ColorIndex());
    }
    ASSERT_GE(indexes.size(), 13u);
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(indexes[static_cast<std::size_t>(k)], 16 * k);
    EXPECT_EQ(indexes[12], 0);
    // 13 x 128 steps end at phase 0 with index 16; 40 more reach phase 40. The colour is
    // wheel entry 16 (255, 81, 0), the brightness breathing entry 40 (114) x 255 / 256.
    for (int step = 0; step < 40; ++step)
        state.StepBreathColorCycle();
    EXPECT_EQ(state.Phase(), 40);
    EXPECT_EQ(state.ColorIndex(), 16);
    EXPECT_EQ(state.GetLedColor(2), (LedColor{255, 81, 0, 113}));
    EXPECT_EQ(state.GetLedColor(0), (LedColor{255, 81, 0, 113}));
}

TEST(DeviceLightState, FlashTogglesAfterTheSpeedsInterval) {
    struct Case {
        std::uint8_t speed;
        int intervalMs;
    };
    for (const Case c : {Case{4, 1400}, Case{0, 5600}, Case{9, 1400}}) { // 9: held to 4
        SCOPED_TRACE(int{c.speed});
        CDeviceLightState state;
        state.SetLedCapacity(2);
        DeviceLightRecord record;
        record.speed = c.speed;
        record.brightness = 2;
        record.red = 200;
        record.green = 100;
        record.blue = 50;
        state.SetRecord(record);
        const auto t0 = CDeviceLightState::Clock::now();
        state.StepFlashColorCycle(t0);
        const bool first = state.FlashOn();
        state.StepFlashColorCycle(t0 + std::chrono::milliseconds(c.intervalMs - 1));
        EXPECT_EQ(state.FlashOn(), first);
        state.StepFlashColorCycle(t0 + std::chrono::milliseconds(c.intervalMs));
        EXPECT_NE(state.FlashOn(), first);
        const LedColor led = state.GetLedColor(0);
        if (state.FlashOn())
            EXPECT_EQ(led, (LedColor{200, 100, 50, 130})); // level 2
        else
            EXPECT_EQ(led, LedColor{});
    }
}

TEST(DeviceLightState, OutOfRangeBrightnessAndSpeedAreHeldToTheTables) {
    CDeviceLightState state;
    state.SetLedCapacity(1);
    DeviceLightRecord record;
    record.brightness = 200;
    record.red = 30;
    record.green = 100;
    record.blue = 60;
    state.SetRecord(record);
    state.StepStaticColor();
    EXPECT_EQ(state.GetLedColor(0), (LedColor{30, 100, 60, 255}));
    state.StepLightsOff();
    EXPECT_EQ(state.GetLedColor(0), LedColor{});
    state.FadeLed(500, 0); // outside the intensity list: nothing
    state.SetIntensity(3, 130);
    state.FadeLed(3, 0);
    EXPECT_EQ(state.Intensity(3), 90);
    state.SetRingEntry(0, 1);
    state.RotateLedRing(true);
    EXPECT_EQ(state.RingEntry(1), 1);
    state.RotateLedRing(false);
    state.RotateLedRing(false);
    EXPECT_EQ(state.RingEntry(22), 1);
    state.ClearEffectState();
    EXPECT_EQ(state.RingEntry(22), 0);
    EXPECT_EQ(state.Intensity(3), 0);
}

TEST(PowerStatus, StatusBlocksAsThePanelShowsThem) {
    struct Case {
        std::vector<std::uint8_t> block;
        std::uint16_t model;
        const char* text;
        int progress;
        std::optional<bool> logo;
        std::optional<std::string> image;
        std::optional<std::string> phone;
    };
    const Case cases[] = {
        {{57, 1, 9, 1, 9, 9}, kModelKeyboard, "57%", 43, true, "file='power/powering.png'", {}},
        {{80, 0, 0, 0}, kModelMouse, "80%", 20, false, "file='power/powering1.png'", {}},
        {{255, 2, 0, 1}, kModelKeyboard, "100%", 0, true, "file='power/power.png'", {}},
        {{30, 7}, kModelKeyboard, "30%", 70, false, std::nullopt, {}},
        {{}, kModelKeyboard, "0%", 100, false, "file='power/powering1.png'", {}},
        {{50, 2, 0, 1, 0, 2},
         kModelMousePad,
         "50%",
         50,
         std::nullopt,
         "file='power/power.png'",
         "Phone_type_samsung"},
        {{50, 2, 0, 0, 0, 9},
         kModelMousePad,
         "50%",
         50,
         std::nullopt,
         "file='power/power.png'",
         "Phone_type_no_device"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const PowerStatusView view = DecodePowerStatus(c.block.data(), c.block.size(), c.model);
        EXPECT_EQ(view.BatteryText(), c.text);
        EXPECT_EQ(view.progressValue, c.progress);
        EXPECT_EQ(view.wirelessLogoVisible, c.logo);
        EXPECT_EQ(view.chargeImage, c.image);
        EXPECT_EQ(view.phoneTooltip, c.phone);
    }
    std::vector<std::uint8_t> longBlock(300, 0);
    longBlock[0] = 12;
    EXPECT_EQ(DecodePowerStatus(longBlock.data(), longBlock.size(), kModelKeyboard).BatteryText(),
              "12%");
}

// A device base on a simulated keypad's cable, without a window.
class DeviceBaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        bus = sim::CSimHidBackend::Create();
        keypad = bus->AddKeypad();
        keypad->PlugCable();
        keypad->PlugReceiver();
        hid::SetDefaultHidBackend(bus);
        device = std::make_unique<CCorvaneUSBDevice>();
        device->SetIdentity(SupportedDeviceTable()[0]);
        device->SetLedCapacity(170);
        hid::CCommandChannel& channel = device->Channel();
        ASSERT_TRUE(channel.WiredInterface().Open(test::FindCommandPath(*bus, *keypad, false), true,
                                                  true, true, false));
        ASSERT_TRUE(channel.ReceiverInterface().Open(test::FindCommandPath(*bus, *keypad, true),
                                                     true, true, true, false));
        channel.SetMode(1);
        channel.SetEnabled(true);
    }
    void TearDown() override {
        device.reset();
        hid::SetDefaultHidBackend(nullptr);
    }
    // ledCount 255: a device that claims more LEDs than a frame holds
    void LiveMode(std::uint8_t ledCount = 255) {
        device->SetLightInfo(11, 0, 0, 0);
        std::uint8_t info[34] = {};
        info[5] = ledCount;
        device->SetInfoBlock(info, sizeof info);
    }

    std::shared_ptr<sim::CSimHidBackend> bus;
    std::shared_ptr<sim::CSimKeypad> keypad;
    std::unique_ptr<CCorvaneUSBDevice> device;
};

TEST_F(DeviceBaseTest, LiveFramesCarryAtMostOneHundredSeventyLeds) {
    LiveMode();
    for (int i = 0; i < 169; ++i)
        device->SetLedColor(i, {255, 128, 1, 255});
    device->SetLedColor(169, {40, 80, 120, 255}); // the last LED
    device->SendLightFrame();
    ASSERT_TRUE(device->WaitLiveFramesIdle(5000));
    const auto frames = keypad->AcceptedPackets(0x12);
    ASSERT_FALSE(frames.empty());
    std::size_t total = 0;
    for (const auto& packet : frames)
        total += packet.bytes[4];
    EXPECT_EQ(total, 170u * 3);
    const auto frame = keypad->Region(sim::SimRegion::LightFrame);
    // each channel x brightness / 256
    EXPECT_EQ((std::array{frame[0], frame[1], frame[2]}),
              (std::array<std::uint8_t, 3>{254, 127, 0}));
    EXPECT_EQ((std::array{frame[168 * 3], frame[168 * 3 + 1], frame[168 * 3 + 2]}),
              (std::array<std::uint8_t, 3>{254, 127, 0}));
    EXPECT_EQ((std::array{frame[169 * 3], frame[169 * 3 + 1], frame[169 * 3 + 2]}),
              (std::array<std::uint8_t, 3>{39, 79, 119}));
    EXPECT_EQ(frame[170 * 3], 0);
}

TEST_F(DeviceBaseTest, NoFrameReachesTheDeviceWithoutLightControlOrOutsideLiveMode) {
    LiveMode();
    device->NotifyLightControl(false);
    device->SendLightFrame();
    device->NotifyLightControl(true);
    device->SetLightInfo(3, 0, 0, 0);
    device->SendLightFrame();
    EXPECT_TRUE(device->WaitLiveFramesIdle(5000));
    EXPECT_TRUE(keypad->AcceptedPackets(0x12).empty());
}

TEST_F(DeviceBaseTest, TwoSlowReceiverFramesStopReceiverStreamingOnly) {
    LiveMode(5); // one packet per frame
    device->Channel().SetMode(2);
    keypad->InjectFault(
        sim::SimFault::Make(sim::SimFaultKind::LateReply, std::chrono::milliseconds(600))
            .OnCommand(0x12)
            .OnLink(sim::SimLink::Receiver)
            .Times(1000));
    for (int i = 0; i < 2; ++i) {
        device->SendLightFrame();
        ASSERT_TRUE(device->WaitLiveFramesIdle(60000));
    }
    EXPECT_TRUE(device->IsLiveStreamingOff(ConnectionLink::Receiver));
    EXPECT_FALSE(device->IsLiveStreamingOff(ConnectionLink::Cable));
    keypad->ClearFaults();
    device->Channel().SetMode(1);
    keypad->ClearPacketLog();
    device->SendLightFrame();
    ASSERT_TRUE(device->WaitLiveFramesIdle(5000));
    EXPECT_FALSE(keypad->AcceptedPackets(0x12).empty());
}

TEST_F(DeviceBaseTest, LightControlNoticeGoesToKeyboardsOnly) {
    device->NotifyLightControl(true);
    EXPECT_EQ(keypad->LightControlNotices(), 1);
    device->NotifyLightControl(false);
    EXPECT_EQ(keypad->LightControlNotices(), 1);
    device->SetIdentity(SupportedDeviceTable()[4]); // now it stands for a mouse
    device->NotifyLightControl(true);
    EXPECT_EQ(keypad->LightControlNotices(), 1);
}

TEST_F(DeviceBaseTest, StopWorkersCancelsATransferInFlight) {
    device->Channel().SetMode(2);
    keypad->InjectFault(sim::SimFault::Make(sim::SimFaultKind::NoReply)
                            .OnCommand(0x03)
                            .OnLink(sim::SimLink::Receiver)
                            .Times(100));
    std::atomic<int> result{42};
    std::thread transfer([&] {
        std::uint8_t info[34] = {};
        result = device->Channel().ReadInfoBlock(info);
    });
    while (!device->Channel().IsBusy() && result == 42)
        std::this_thread::yield();
    // the receiver would wait 5 s per read; stopping the device must not wait that out
    device->StopWorkers();
    transfer.join();
    EXPECT_NE(result.load(), hid::CCommandChannel::kOk);
    EXPECT_FALSE(device->Channel().IsEnabled());
}
