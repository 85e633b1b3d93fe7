// The device list in a window built from the program's skin: entries, pages, timers and the
// power panel, with the simulated keypad discovered through the normal path.
#include "CorvaneUSBDevice.h"
#include "DeviceList.h"
#include "DeviceOptionUI.h"
#include "MpDevicePowerUI.h"

#include "CSimHidBackend.h"
#include "CSimMouse.h"
#include "CSimMousePad.h"
#include "SkinResources.h"
#include "WindowImplBase.h"

#include <QLayout>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <thread>

using namespace vpc;
using namespace vpc::devices;

namespace {

// A device base that counts what its list entry's timers ask of it.
class CountingDevice : public CCorvaneUSBDevice {
public:
    void OnDeviceArrived() override {
        ++arrived;
        CCorvaneUSBDevice::OnDeviceArrived();
    }
    void OnDeviceSync() override { ++synced; }
    void ReadDeviceStatus() override {
        ++statusReads;
        CCorvaneUSBDevice::ReadDeviceStatus();
    }
    int arrived = 0;
    int synced = 0;
    int statusReads = 0;
};

class DeviceWindow : public WindowImplBase {
public:
    QString GetWindowClassName() const override { return "DeviceTestWnd"; }
    QString GetSkinFile() const override { return "XML_MAIN"; }
    QWidget* CreateControl(const QString& className) override {
        // the keyboard's page is built around a counting device base, so the list's timers
        // are seen without the keyboard class's own work
        if (className == CCorvaneUSBDevice::kClassName || className == "CorvaneKeyboardDevice")
            return new CountingDevice(); // owned by the layout that asked for it
        return nullptr;
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        if (list && list->HandleDeviceMessage(message, wParam, lParam)) {
            handled = true;
            return 0;
        }
        return WindowImplBase::HandleMessage(message, wParam, lParam, handled);
    }
    CDeviceList* list = nullptr;
};

class DeviceListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CSkinResources::Instance().SetResourcePath(VPC_SKIN_SOURCE_DIR "/"));
        CSkinResources::Instance().LoadLanguage("en", "language/en.json");
        bus = sim::CSimHidBackend::Create();
        keypad = bus->AddKeypad();
        hid::SetDefaultHidBackend(bus); // the device objects open their interfaces here
        window = std::make_unique<DeviceWindow>();
        window->Create(nullptr, "devices", 0, 0, 800, 572);
        DeviceListHooks hooks;
        hooks.firstPassDone = [this] { ++firstPasses; };
        hooks.waitingForUi = [this] { ++handOffWaits; };
        list = std::make_unique<CDeviceList>(*window, std::move(hooks), bus);
        window->list = list.get();
        list->CreateInitialDevices();
        window->show();
    }
    void TearDown() override {
        list->StopWorkers();
        window->list = nullptr;
        list.reset();
        window.reset();
        hid::SetDefaultHidBackend(nullptr);
    }
    // One discovery cycle on the UI thread (the hand-off runs the binder directly).
    void Pass() {
        if (!discovery) {
            sink = std::make_unique<Sink>(*this);
            discovery = std::make_unique<CDiscoveryThread>(list->Slots(), *sink, bus);
        }
        ASSERT_TRUE(discovery->RunCycle());
    }
    // A simulated device of another kind plugged in on its cable, and the pass that finds it.
    template <typename SimDevice> std::shared_ptr<SimDevice> PlugInOnCable() {
        auto device = SimDevice::Create();
        bus->Attach(device);
        device->PlugCable();
        Pass();
        return device;
    }
    QWidget* Control(const char* name) const {
        return window->PaintManager().FindControl(name).widget();
    }
    int StackPage(const char* name) const {
        auto* stack = qobject_cast<QStackedWidget*>(Control(name));
        return stack ? stack->currentIndex() : -2;
    }
    // The keyboard's place in the list depends on which devices were seen before it.
    CDeviceOptionUI* KeyboardEntry() const { return list->Entry(list->EntryIndexOfRow(1)); }
    CountingDevice* Keyboard() const {
        return dynamic_cast<CountingDevice*>(KeyboardEntry()->Device());
    }

    struct Sink : IDiscoverySink {
        explicit Sink(DeviceListTest& t) : test(t) {}
        bool OnSlotArrived(int slot) override {
            test.window->SendMessage(kUmDeviceArrived, static_cast<WPARAM>(slot), 0);
            return true;
        }
        bool OnSlotRemoved(int slot) override {
            test.window->SendMessage(kUmDeviceRemoved, static_cast<WPARAM>(slot), 0);
            return true;
        }
        void OnFirstPassDone() override { test.list->NoteFirstPassDone(); }
        void OnAccessDenied(const std::string&) override {}
        DeviceListTest& test;
    };

    std::shared_ptr<sim::CSimHidBackend> bus;
    std::shared_ptr<sim::CSimKeypad> keypad;
    std::unique_ptr<DeviceWindow> window;
    std::unique_ptr<CDeviceList> list;
    std::unique_ptr<Sink> sink;
    std::unique_ptr<CDiscoveryThread> discovery;
    std::atomic<int> firstPasses{0};
    std::atomic<int> handOffWaits{0};
};

} // namespace

TEST_F(DeviceListTest, WithNothingConnectedOnlyTheKeyboardsEntryExistsHidden) {
    ASSERT_EQ(list->EntryCount(), 1);
    EXPECT_EQ(list->Entry(0)->Device()->DeviceName(), "keyboard");
    EXPECT_EQ(list->VisibleEntryCount(), 0);
    EXPECT_FALSE(list->Entry(0)->isVisible());
    EXPECT_FALSE(Control("No_device_Link")->isVisible()) << "not before the first pass";
    Pass();
    EXPECT_TRUE(Control("No_device_Link")->isVisible());
    EXPECT_EQ(StackPage("device_switch"), 0);
    EXPECT_EQ(StackPage("device_power_switch"), 0);
    EXPECT_EQ(list->GetCurrentDevice(), nullptr);
    EXPECT_EQ(Keyboard()->LedCapacity(), 170);
    EXPECT_TRUE(Keyboard()->HasPowerPanel());
    EXPECT_EQ(list->EntryCount(), 1) << "no mouse object before a mouse is seen";
}

// Devices seen later get their objects then, and the entries keep the order of the device
// table: the mouse above the keyboard, the mouse pad below it, whichever came first. The
// online message names the device's row of the table.
TEST_F(DeviceListTest, ADeviceSeenLaterTakesItsPlaceInTheListAndTheOnlineMessageFindsIt) {
    keypad->PlugCable();
    Pass();
    const auto pad = PlugInOnCable<sim::CSimMousePad>();
    const auto mouse = PlugInOnCable<sim::CSimMouse>();
    ASSERT_EQ(list->EntryCount(), 3);
    EXPECT_EQ(list->Entry(0)->Device()->DeviceName(), "mouse");
    EXPECT_EQ(list->Entry(1)->Device()->DeviceName(), "keyboard");
    EXPECT_EQ(list->Entry(2)->Device()->DeviceName(), "MousePad");
    EXPECT_EQ(list->Entry(0)->Device()->LedCapacity(), 15);
    auto* layout = Control("device_select_layout")->layout();
    ASSERT_NE(layout, nullptr);
    EXPECT_LT(layout->indexOf(list->Entry(0)), layout->indexOf(list->Entry(1)));
    EXPECT_LT(layout->indexOf(list->Entry(1)), layout->indexOf(list->Entry(2)));
    EXPECT_EQ(list->VisibleEntryCount(), 3);
    EXPECT_TRUE(list->Entry(1)->IsSelected());

    // row 0 is the mouse: its entry goes, the keyboard's stays
    window->SendMessage(kUmDeviceOnline, 0, 0);
    EXPECT_FALSE(list->Entry(0)->IsEntryVisible());
    EXPECT_TRUE(list->Entry(1)->IsEntryVisible());
    window->SendMessage(kUmDeviceOnline, 2, 0); // the pad
    EXPECT_FALSE(list->Entry(2)->IsEntryVisible());
    window->SendMessage(kUmDeviceOnline, 0, 1);
    EXPECT_TRUE(list->Entry(0)->IsEntryVisible());
    window->SendMessage(kUmDeviceOnline, 3, 0); // no headset: nothing happens
    EXPECT_EQ(list->VisibleEntryCount(), 2);
}

TEST_F(DeviceListTest, CableShowsAndSelectsTheEntryAndTimer1001ReadsTheDevice) {
    keypad->PlugCable();
    Pass();
    CDeviceOptionUI* entry = KeyboardEntry();
    EXPECT_TRUE(entry->IsEntryVisible());
    EXPECT_TRUE(entry->IsSelected());
    EXPECT_FALSE(Control("No_device_Link")->isVisible());
    EXPECT_EQ(StackPage("device_switch"), entry->BoundTabPage());
    EXPECT_EQ(StackPage("device_power_switch"), entry->PowerPage());
    EXPECT_EQ(list->GetCurrentDevice(), Keyboard());
    EXPECT_TRUE(entry->IsTimerRunning(CDeviceOptionUI::kTimerFirstLoad));
    EXPECT_EQ(Keyboard()->arrived, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Keyboard()->arrived == 1; }, 5000));
    EXPECT_EQ(Keyboard()->InfoBlock()[5], sim::CSimKeypad::kKeyCount);
    EXPECT_TRUE(entry->IsTimerRunning(CDeviceOptionUI::kTimerLightFrame));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Keyboard()->statusReads >= 1; }, 5000));
    EXPECT_TRUE(entry->IsTimerRunning(CDeviceOptionUI::kTimerStatus));
    EXPECT_FALSE(entry->IsTimerRunning(CDeviceOptionUI::kTimerLinkWatch));
}

TEST_F(DeviceListTest, StatusBlockShowsBatteryChargeAndWirelessLogo) {
    CMpDevicePowerUI* power = Keyboard()->PowerPanel();
    ASSERT_NE(power, nullptr);
    const std::uint8_t block[6] = {57, 1, 0x33, 1, 0x44, 0x55};
    power->UpdateStatus(block, sizeof block);
    EXPECT_EQ(CControlUI(power->findChild<QWidget*>("device_power_value")).GetText(), "57%");
    auto* progress = power->findChild<QProgressBar*>("device_Power_progress");
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->value(), 43);
    EXPECT_EQ(CControlUI(power->findChild<QWidget*>("device_power_status")).GetBkImage(),
              "file='power/powering.png'");
    EXPECT_FALSE(power->findChild<QWidget*>("device_wuxian_logo")->isHidden());
    const std::uint8_t wired[6] = {200, 2, 0, 0, 0, 0};
    power->UpdateStatus(wired, sizeof wired);
    EXPECT_EQ(CControlUI(power->findChild<QWidget*>("device_power_value")).GetText(), "100%");
    EXPECT_EQ(progress->value(), 0);
    EXPECT_TRUE(power->findChild<QWidget*>("device_wuxian_logo")->isHidden());
}

TEST_F(DeviceListTest, BatteryAndChargeStateComeFromTheDevice) {
    keypad->SetBattery(64, 0);
    keypad->PlugCable();
    Pass();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Keyboard()->statusReads >= 1; }, 5000));
    CMpDevicePowerUI* power = Keyboard()->PowerPanel();
    EXPECT_EQ(CControlUI(power->findChild<QWidget*>("device_power_value")).GetText(), "64%");
    EXPECT_EQ(CControlUI(power->findChild<QWidget*>("device_power_status")).GetBkImage(),
              "file='power/powering1.png'");
    EXPECT_TRUE(power->findChild<QWidget*>("device_wuxian_logo")->isHidden()); // on the cable
}

TEST_F(DeviceListTest, ANotificationReportRereadsTheDeviceThroughTimer1002) {
    keypad->PlugCable();
    Pass();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Keyboard()->arrived == 1; }, 5000));
    EXPECT_EQ(Keyboard()->synced, 0);
    keypad->SwitchOnboardProfile(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Keyboard()->synced == 1; }, 5000));
}

TEST_F(DeviceListTest, ReceiverEntryAppearsOnlyOnceTheWirelessDeviceAnswers) {
    keypad->SetWirelessLink(false);
    keypad->PlugReceiver();
    Pass();
    CDeviceOptionUI* entry = KeyboardEntry();
    EXPECT_FALSE(entry->IsEntryVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return entry->WirelessFailures() >= 1; }, 5000));
    EXPECT_FALSE(entry->IsEntryVisible());
    EXPECT_EQ(Keyboard()->arrived, 0);
    keypad->SetWirelessLink(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return entry->IsEntryVisible(); }, 8000));
    EXPECT_TRUE(entry->IsSelected());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Keyboard()->arrived == 1; }, 5000));
    EXPECT_TRUE(entry->IsTimerRunning(CDeviceOptionUI::kTimerLinkWatch));
}

TEST_F(DeviceListTest, UnpluggingTheOnlyVisibleDeviceShowsTheHintAgain) {
    keypad->PlugCable();
    Pass();
    ASSERT_TRUE(KeyboardEntry()->IsEntryVisible());
    keypad->UnplugCable();
    Pass();
    EXPECT_FALSE(KeyboardEntry()->IsEntryVisible());
    EXPECT_TRUE(Control("No_device_Link")->isVisible());
    EXPECT_EQ(StackPage("device_switch"), 0);
    EXPECT_FALSE(KeyboardEntry()->IsTimerRunning(CDeviceOptionUI::kTimerFirstLoad));
    EXPECT_FALSE(KeyboardEntry()->IsSelected());
    EXPECT_EQ(list->GetCurrentDevice(), nullptr);
    // the device object stays for the next time
    EXPECT_EQ(list->EntryCount(), 1);
}

TEST_F(DeviceListTest, AMousePadGetsItsObjectAndEntryWhenFirstSeen) {
    keypad->PlugCable();
    Pass();
    const auto pad = PlugInOnCable<sim::CSimMousePad>();
    ASSERT_EQ(list->EntryCount(), 2);
    CDeviceOptionUI* padEntry = list->Entry(1);
    EXPECT_EQ(padEntry->Device()->DeviceName(), "MousePad");
    EXPECT_TRUE(padEntry->IsEntryVisible());
    EXPECT_FALSE(padEntry->IsSelected()); // the keypad's entry was already visible
    EXPECT_TRUE(KeyboardEntry()->IsSelected());
    EXPECT_EQ(list->VisibleEntryCount(), 2);
    // hiding the selected entry moves the selection to the other visible one
    list->HideDeviceEntry(0);
    EXPECT_TRUE(padEntry->IsSelected());
    EXPECT_EQ(list->GetCurrentDevice(), padEntry->Device());
    list->HideDeviceEntry(-1);
    list->HideDeviceEntry(7);
}

TEST_F(DeviceListTest, ShutdownWithADeviceBoundAndATransferInFlightEnds) {
    keypad->PlugReceiver();
    Pass();
    hid::CCommandChannel& channel = Keyboard()->Channel();
    ASSERT_TRUE(channel.IsEnabled());
    keypad->InjectFault(sim::SimFault::Make(sim::SimFaultKind::NoReply).OnCommand(0x1A).Times(100));
    std::atomic<int> result{42};
    std::thread transfer([&] {
        std::uint8_t status[6] = {};
        result = channel.ReadStatusBlock(status, sizeof status, 0);
    });
    while (!channel.IsBusy() && result == 42)
        std::this_thread::yield();
    list->StopWorkers(); // must not wait out the receiver's 5 s time limit, twice
    transfer.join();
    EXPECT_NE(result.load(), hid::CCommandChannel::kOk);
    EXPECT_FALSE(channel.IsEnabled());
}

TEST_F(DeviceListTest, TheDiscoveryThreadHandsArrivalsToTheUiThreadAndStopsWhileWaiting) {
    keypad->PlugCable();
    list->StartDiscovery();
    ASSERT_TRUE(QTest::qWaitFor([&] { return KeyboardEntry()->IsEntryVisible(); }, 5000));
    // the activation follows the first pass's arrivals
    ASSERT_TRUE(QTest::qWaitFor([&] { return firstPasses.load() == 1; }, 5000));
    // now block the UI thread's event loop while the thread has something to hand over
    const int waitsBefore = handOffWaits.load();
    keypad->UnplugCable();
    // this thread does not run its event loop: the removal stays queued, the thread waits
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (handOffWaits.load() == waitsBefore && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(handOffWaits.load(), waitsBefore) << "the discovery thread saw the unplug";
    list->StopWorkers(); // the thread waits for the UI thread: the stop must end that wait
    EXPECT_EQ(list->Discovery(), nullptr);
    QTest::qWait(50); // a hand-off left in the queue is dropped, not run
    EXPECT_TRUE(KeyboardEntry()->IsEntryVisible());
}
