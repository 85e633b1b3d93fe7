// The main window with a simulated mouse and keypad found by its own discovery: both are in
// the device bar, the user switches between them, and each page writes only to its own device.
#include "CSimHidBackend.h"
#include "CSimKeypad.h"
#include "CSimMouse.h"
#include "ControlUI.h"
#include "DeviceList.h"
#include "DeviceOptionUI.h"
#include "MainWnd.h"
#include "ShootControlUI.h"
#include "StartUp.h"
#include "keyboard/CorvaneKeyboardDevice.h"
#include "mouse/CorvaneMouseDevice.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using vpc::devices::CCorvaneKeyboardDevice;
using vpc::devices::CCorvaneMouseDevice;

class MainWindowMouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(userRoot.isValid());
        qputenv("VPC_USER_DATA_ROOT", userRoot.path().toUtf8());
        qputenv("VPC_SKIN_DIR", VPC_SKIN_SOURCE_DIR);
        InitSkinResources();
        bus = vpc::sim::CSimHidBackend::Create();
        keypad = bus->AddKeypad();
        keypad->PlugCable();
        mouse = vpc::sim::CSimMouse::Create();
        bus->Attach(mouse);
        mouse->PlugCable();
        vpc::hid::SetDefaultHidBackend(bus);
        window = std::make_unique<CMainWnd>();
        ASSERT_TRUE(window->Create(nullptr, "main", 0, 0, 800, 572));
        window->show();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                keyboard = nullptr;
                mouseDevice = nullptr;
                for (auto* device : window->DeviceList()->DeviceObjects()) {
                    if (auto* k = qobject_cast<CCorvaneKeyboardDevice*>(device);
                        k && k->IsLightThreadRunning())
                        keyboard = k;
                    if (auto* m = qobject_cast<CCorvaneMouseDevice*>(device);
                        m && m->IsLightThreadRunning())
                        mouseDevice = m;
                }
                return keyboard && mouseDevice;
            },
            15000));
    }
    void TearDown() override {
        window->StopWorkers();
        window.reset();
        vpc::hid::SetDefaultHidBackend(nullptr);
        qunsetenv("VPC_USER_DATA_ROOT");
        qunsetenv("VPC_SKIN_DIR");
    }

    // Clicks the device bar entry of a device.
    void Select(vpc::devices::CCorvaneUSBDevice* device) {
        vpc::devices::CDeviceList* list = window->DeviceList();
        for (int i = 0; i < list->EntryCount(); ++i) {
            vpc::devices::CDeviceOptionUI* entry = list->Entry(i);
            if (entry && entry->Device() == device)
                if (auto* option = entry->findChild<QAbstractButton*>("device_select"))
                    option->click();
        }
    }

    void Send(const char* type, QWidget* sender) {
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(type);
        msg.pSender = sender;
        window->Notify(msg);
    }

    QTemporaryDir userRoot;
    std::shared_ptr<vpc::sim::CSimHidBackend> bus;
    std::shared_ptr<vpc::sim::CSimKeypad> keypad;
    std::shared_ptr<vpc::sim::CSimMouse> mouse;
    std::unique_ptr<CMainWnd> window;
    CCorvaneKeyboardDevice* keyboard = nullptr;
    CCorvaneMouseDevice* mouseDevice = nullptr;
};

TEST_F(MainWindowMouseTest, BothAreInTheDeviceBarAndEachPageWritesOnlyToItsDevice) {
    vpc::devices::CDeviceList* list = window->DeviceList();
    EXPECT_EQ(list->VisibleEntryCount(), 2);

    Select(mouseDevice);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->GetCurrentDevice() == mouseDevice; }, 5000));
    EXPECT_TRUE(mouseDevice->isVisible());
    keypad->ClearPacketLog();
    mouse->ClearPacketLog();
    auto* slider = qobject_cast<QAbstractSlider*>(
        mouseDevice->FindPageControl(QStringLiteral("DPI_slider_4")));
    ASSERT_NE(slider, nullptr);
    CControlUI(slider).SetValue(211);
    Send(DuiEvent::ValueChanged, slider);
    const auto record = mouse->Record(0);
    EXPECT_EQ(record[14 + 9 * 4 + 2] | (record[14 + 9 * 4 + 3] << 8), 211);
    EXPECT_TRUE(keypad->AcceptedPackets(0x06).empty()) << "the keypad got the mouse's record";

    Select(keyboard);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->GetCurrentDevice() == keyboard; }, 5000));
    mouse->ClearPacketLog();
    Send(DuiEvent::ValueChanged, slider); // a mouse control while the keypad is current
    QWidget* brightness = keyboard->FindPageControl(QStringLiteral("deng_light_slider"));
    ASSERT_NE(brightness, nullptr);
    CControlUI(brightness).SetValue(2);
    Send(DuiEvent::ValueChanged, brightness);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !keypad->AcceptedPackets(0x06).empty(); }, 5000))
        << "the keypad's own page writes to it";
    EXPECT_TRUE(mouse->AcceptedPackets(0x06).empty()) << "nothing reaches the mouse";
}

TEST_F(MainWindowMouseTest, PanelsBuiltWhenFirstShownStillReachTheMainWindow) {
    Select(mouseDevice);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->GetCurrentDevice() == mouseDevice; }, 5000));
    mouseDevice->SetFunctionPage(4); // the shoot panel, built now
    auto* shoot = mouseDevice->findChild<vpc::panels::CShootControlUI*>();
    ASSERT_NE(shoot, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shoot->isVisible(); }, 5000));
    EXPECT_EQ(shoot->CurrentBullet(), 0);
    auto* next = shoot->findChild<QAbstractButton*>("bullet_selected_next");
    ASSERT_NE(next, nullptr);
    next->click(); // through the window's manager and its routes
    EXPECT_EQ(shoot->CurrentBullet(), 1);
    EXPECT_EQ(shoot->Part("bullet_select_index").GetText(), "2");
}

} // namespace
