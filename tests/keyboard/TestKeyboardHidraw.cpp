// The keyboard device against a keypad behind emulated hidraw nodes whose consumer collection
// declares the whole 16-bit usage range, as keypads that send codes above 0x3FF do.
#include "KeypadFixture.h"

#include "CHidrawTestbed.h"
#include "CSimHidrawHost.h"
#include "HidPath.h"
#include "HidrawBackend.h"

#include <cstdlib>

namespace vpc::test {
namespace {

class KeyboardHidrawTest : public KeypadFixture {
protected:
    void SetUp() override {
        KeypadFixture::SetUp();
        std::string why;
        testbed = hidemu::CHidrawTestbed::Create(true, &why);
        if (!testbed) {
            if (std::getenv("CI") != nullptr)
                FAIL() << "emulated hidraw unavailable in CI: " << why;
            GTEST_SKIP() << "emulated hidraw unavailable: " << why;
        }
        hidraw = std::make_shared<hid::CHidrawBackend>(); // the real "/sys" and "/dev"
        simHost = hidemu::CSimHidrawHost::Create(*testbed);
        keypad = sim::CSimKeypad::Create();
        simHost->Attach(keypad);
        keypad->PlugCable();
        memory = std::make_unique<sim::SimKeypadMemory>(*keypad);
        hid::SetDefaultHidBackend(hidraw);
    }
    void TearDown() override {
        KeypadFixture::TearDown();
        memory.reset();
        simHost.reset();
        testbed.reset();
    }

    // The keypad's collection with this number, as the listing gives it.
    std::string ListedPath(unsigned collection) {
        hid::CHidDevice scanner(hidraw);
        if (!scanner.EnumerateInterfaces())
            return {};
        while (auto path = scanner.NextInterfacePath())
            if (hid::PathProductId(*path) == sim::CSimKeypad::kCableProductId &&
                hid::PathCollectionNumber(*path) == collection)
                return *path;
        return {};
    }

    std::unique_ptr<hidemu::CHidrawTestbed> testbed;
    std::shared_ptr<hid::CHidrawBackend> hidraw;
    std::shared_ptr<hidemu::CSimHidrawHost> simHost;
};

TEST_F(KeyboardHidrawTest, TheWideConsumerRangeBindsAndItsCodesAreFollowed) {
    memory->SetRecordMode(0, 9);
    memory->SetRecordMode(2, 6);
    const std::string commandPath = ListedPath(4);
    const std::string notifyPath = ListedPath(3);
    ASSERT_FALSE(commandPath.empty()) << "the vendor collection is listed";
    ASSERT_FALSE(notifyPath.empty()) << "the consumer collection is listed";

    MakeDevice(sim::SimLink::Cable);
    hid::CCommandChannel& channel = device->Channel();
    ASSERT_TRUE(channel.WiredInterface().Open(commandPath, true, true, true, false));
    channel.SetMode(1);
    channel.SetEnabled(true);
    device->OnDeviceArrived();
    EXPECT_EQ(device->GetLightInfo().selectItem, 9) << "the onboard record was read";
    ASSERT_TRUE(device->Connection().OpenNotification(devices::kModelKeyboard, notifyPath));

    // 1026: read the keypad again (what timer 1002 of the list entry then runs)
    memory->SetRecordMode(0, 14);
    keypad->SendNotification(1026);
    ASSERT_TRUE(WaitUntil([&] { return device->LastSyncCode() == 1026; }, 10000));
    device->OnDeviceSync();
    EXPECT_EQ(device->GetLightInfo().selectItem, 14);

    // 0x1012: the keypad switched to slot 2; its record is read at once
    keypad->PokeByte(sim::SimRegion::Param, 0, 2);
    keypad->SendNotification(0x1012);
    ASSERT_TRUE(WaitUntil([&] { return device->OnboardIndex() == 2; }, 10000));
    EXPECT_EQ(device->LastSyncCode(), 0x1012);
    EXPECT_EQ(device->GetLightInfo().selectItem, 6);
}

} // namespace
} // namespace vpc::test
