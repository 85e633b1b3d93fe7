// The main window with a simulated keypad and mouse found by its own discovery, both bound,
// and the steps a user takes on it: picking a device in the device bar, clicking a page's
// button, sending a notification as a control does.
#pragma once

#include "CSimHidBackend.h"
#include "CSimKeypad.h"
#include "CSimMouse.h"
#include "DeviceList.h"
#include "DeviceOptionUI.h"
#include "MainWnd.h"
#include "SimKeypadMemory.h"
#include "StartUp.h"
#include "keyboard/CorvaneKeyboardDevice.h"
#include "mouse/CorvaneMouseDevice.h"

#include <QAbstractButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

class MainWindowWithDevices : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(userRoot.isValid());
        qputenv("VPC_USER_DATA_ROOT", userRoot.path().toUtf8());
        qputenv("VPC_SKIN_DIR", VPC_SKIN_SOURCE_DIR);
        InitSkinResources();
        bus = vpc::sim::CSimHidBackend::Create();
        keypad = bus->AddKeypad();
        keypad->PlugCable();
        memory = std::make_unique<vpc::sim::SimKeypadMemory>(*keypad);
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
                    if (auto* k = qobject_cast<vpc::devices::CCorvaneKeyboardDevice*>(device);
                        k && k->IsLightThreadRunning())
                        keyboard = k;
                    if (auto* m = qobject_cast<vpc::devices::CCorvaneMouseDevice*>(device);
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

    // Clicks the device bar entry of a device and waits until it is the current one.
    void Select(vpc::devices::CCorvaneUSBDevice* device) {
        vpc::devices::CDeviceList* list = window->DeviceList();
        const int index = list->EntryIndexOf(device);
        ASSERT_GE(index, 0);
        auto* option = list->Entry(index)->findChild<QAbstractButton*>("device_select");
        ASSERT_NE(option, nullptr);
        option->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->GetCurrentDevice() == device; }, 5000));
    }
    // Clicks a button of a device's page.
    void Click(vpc::devices::CCorvaneUSBDevice* device, const char* name) {
        auto* button = qobject_cast<QAbstractButton*>(device->FindPageControl(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
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
    std::unique_ptr<vpc::sim::SimKeypadMemory> memory;
    std::shared_ptr<vpc::sim::CSimMouse> mouse;
    std::unique_ptr<CMainWnd> window;
    vpc::devices::CCorvaneKeyboardDevice* keyboard = nullptr;
    vpc::devices::CCorvaneMouseDevice* mouseDevice = nullptr;
};
