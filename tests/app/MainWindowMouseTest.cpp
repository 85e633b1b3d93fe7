// The main window with a simulated mouse and keypad found by its own discovery: both are in
// the device bar, the user switches between them, and each page writes only to its own device.
#include "MainWindowWithDevices.h"

#include "CSimHeadset.h"
#include "ControlUI.h"
#include "DeviceKeyButtonUI.h"
#include "ShootControlUI.h"
#include "hs6533/CorvaneHS6533Device.h"

#include <QAbstractSlider>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace {

using vpc::devices::CCorvaneKeyboardDevice;
using vpc::devices::CCorvaneMouseDevice;

using MainWindowMouseTest = MainWindowWithDevices;

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

// The mouse's lighting panel lists the lighting effects of the mouse's light type and none
// of the keypad's groups (custom colours, preset colour sets, music styles).
TEST_F(MainWindowMouseTest, TheMousesLightingPanelListsTheMousesEffects) {
    Select(mouseDevice);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->GetCurrentDevice() == mouseDevice; }, 5000));
    auto* modes = qobject_cast<QComboBox*>(
        mouseDevice->FindPageControl(QStringLiteral("light_combo_modeSelect")));
    ASSERT_NE(modes, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return modes->isVisible(); }, 5000));
    EXPECT_EQ(modes->count(), 12);
    QWidget* music =
        mouseDevice->FindPageControl(QStringLiteral("light_combo_AudiomodeSelectLayout"));
    ASSERT_NE(music, nullptr);
    for (const int mode : {11, 0, 3}) { // music, wave, breathing
        modes->setCurrentIndex(mode);   // what a choice in the list's popup does
        EXPECT_TRUE(QTest::qWaitFor([&] { return music->isHidden() == (mode != 11); }, 5000))
            << "the music styles in mode " << mode;
        for (const char* keypadGroup : {"lightcustom_layout", "light_combo_ZZCCmodeSelectLayout"}) {
            QWidget* group = mouseDevice->FindPageControl(QString::fromLatin1(keypadGroup));
            ASSERT_NE(group, nullptr);
            EXPECT_TRUE(group->isHidden()) << keypadGroup << " in mode " << mode;
        }
    }
}

// A click on a device's name in the device bar chooses the device, as a click on its picture.
TEST_F(MainWindowMouseTest, ClickingADevicesNameChoosesIt) {
    Select(keyboard);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->GetCurrentDevice() == keyboard; }, 5000));
    auto* name = mouseDevice->DeviceEntry()->findChild<QLabel*>("device_select_name");
    ASSERT_NE(name, nullptr);
    ASSERT_TRUE(name->isVisible());
    QTest::mouseClick(name, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->GetCurrentDevice() == mouseDevice; }, 5000));
    EXPECT_TRUE(mouseDevice->isVisible());
    EXPECT_TRUE(mouseDevice->DeviceEntry()->IsSelected());
    EXPECT_FALSE(keyboard->DeviceEntry()->IsSelected());
}

// The keys of the device pictures take their look from the skin's one style sheet (no key
// carries a style of its own): the mouse's small keys write smaller than the keypad's.
TEST_F(MainWindowMouseTest, TheDevicePicturesKeysTakeTheirLookFromTheSkin) {
    Select(mouseDevice);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->GetCurrentDevice() == mouseDevice; }, 5000));
    const auto key = [](vpc::devices::CCorvaneUSBDevice* page, const char* name) {
        auto* button = qobject_cast<QPushButton*>(page->FindPageControl(QString::fromLatin1(name)));
        EXPECT_NE(button, nullptr) << name;
        if (button)
            button->ensurePolished();
        return button;
    };
    QPushButton* mouseLeft = key(mouseDevice, "key_0");
    QPushButton* keypadEsc = key(keyboard, "key_0");
    ASSERT_TRUE(mouseLeft && keypadEsc);
    EXPECT_EQ(mouseLeft->font().pixelSize(), 9);
    EXPECT_EQ(keypadEsc->font().pixelSize(), 13);
    for (QWidget* page : {static_cast<QWidget*>(mouseDevice), static_cast<QWidget*>(keyboard)}) {
        for (const QPushButton* button : page->findChildren<QPushButton*>()) {
            if (button->inherits("CDeviceKeyButtonUI")) {
                EXPECT_TRUE(button->styleSheet().isEmpty()) << qPrintable(button->objectName());
            }
        }
    }
}

// The headset's LEDs are previewed on its page's second tab: while the first tab is shown the
// preview rests, and showing the LED tab brings the effect's colours back at once.
TEST_F(MainWindowMouseTest, TheHeadsetsLedTabShowsTheEffectWhenOpened) {
    auto headset = vpc::sim::CSimHeadset::Create();
    bus->Attach(headset);
    headset->PlugCable();
    vpc::devices::CCorvaneHS6533Device* headsetDevice = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (auto* device : window->DeviceList()->DeviceObjects())
                if (auto* h = qobject_cast<vpc::devices::CCorvaneHS6533Device*>(device))
                    headsetDevice = h->IsLightThreadRunning() ? h : nullptr;
            return headsetDevice != nullptr;
        },
        15000));
    Select(headsetDevice);
    auto* tabs = qobject_cast<QTabWidget*>(headsetDevice->FindPageControl("hs6533_tabs"));
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->currentIndex(), 0) << "the page opens on its audio tab";
    auto* led = dynamic_cast<CDeviceKeyButtonUI*>(headsetDevice->LedButton(0));
    ASSERT_NE(led, nullptr);
    QTest::qWait(300); // frame periods pass: a hidden LED is never painted, and frames rest
    EXPECT_EQ(led->GetLedColorWord(), 0xFFFFFFu) << "not yet painted: its first white";
    tabs->setCurrentIndex(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return led->GetLedColorWord() != 0xFFFFFFu; }, 3000))
        << "the wave's colours reach the shown LEDs";
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
