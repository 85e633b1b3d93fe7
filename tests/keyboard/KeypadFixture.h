// Test fixture: a simulated keypad on a simulated bus, and the keyboard device object built
// from its page layout and bound to the keypad over the cable or the receiver, with its user
// data in a temporary folder.
#pragma once

#include "CorvaneKeyboardDevice.h"

#include "CSimHidBackend.h"
#include "DialogBuilder.h"
#include "SimKeypadMemory.h"
#include "SkinResources.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vpc::test {

inline constexpr const char* kKeyboardLayout = "XML\\DeviceXml\\keyboarddevice.xml";

// Runs the UI thread's events until the condition holds or the time is up.
inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 3000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

class KeypadFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(userRoot.isValid());
        qputenv("VPC_USER_DATA_ROOT", userRoot.path().toUtf8());
        qputenv("VPC_DEFAULT_DATA_DIR", VPC_TEST_DEFAULT_DATA);
        ASSERT_TRUE(
            CSkinResources::Instance().SetResourcePath(QString::fromUtf8(VPC_TEST_SKIN_DIR)));
        bus = sim::CSimHidBackend::Create();
        keypad = bus->AddKeypad();
        keypad->PlugCable();
        keypad->PlugReceiver();
        memory = std::make_unique<sim::SimKeypadMemory>(*keypad);
        previousBackend = hid::DefaultHidBackend();
        hid::SetDefaultHidBackend(bus);
    }

    void TearDown() override {
        DropDevice();
        hid::SetDefaultHidBackend(previousBackend);
        qunsetenv("VPC_USER_DATA_ROOT");
    }

    // The page built from its layout, as the device list builds it, with the keypad's product
    // id of the link (or, with knownProduct false, one the program has no layout for).
    void MakeDevice(sim::SimLink link = sim::SimLink::Cable) {
        DropDevice();
        QWidget* root = CDialogBuilder::Create(
            QString::fromLatin1(kKeyboardLayout),
            [](const QString& className) -> QWidget* {
                if (className == QLatin1String(devices::CCorvaneKeyboardDevice::kClassName))
                    return new devices::CCorvaneKeyboardDevice();
                return nullptr;
            },
            nullptr);
        device.reset(qobject_cast<devices::CCorvaneKeyboardDevice*>(root));
        ASSERT_TRUE(device) << CDialogBuilder::LastError().toStdString();
        devices::DeviceIdentity identity;
        identity.vendorId = 0x320F;
        identity.productId = !knownProduct                 ? kUnknownProductId
                             : link == sim::SimLink::Cable ? sim::CSimKeypad::kCableProductId
                                                           : sim::CSimKeypad::kReceiverProductId;
        identity.modelCode = devices::kModelKeyboard;
        device->SetPageLayoutName(QString::fromLatin1(kKeyboardLayout));
        device->SetKeyCapacity(170);
        device->SetLedCapacity(170);
        device->SetDeviceName(QStringLiteral("keyboard"));
        device->SetIdentity(identity);
        device->SetLightType(0);
        device->SetLightingFileBase(QStringLiteral("zemra_light"));
        device->Init();
    }

    // Binds the command interface of a link as the main window does.
    void Bind(sim::SimLink link) {
        hid::CCommandChannel& channel = device->Channel();
        channel.SetEnabled(false);
        channel.WiredInterface().Close();
        channel.ReceiverInterface().Close();
        const std::string path = bus->CommandPath(*keypad, link);
        ASSERT_FALSE(path.empty());
        hid::CHidDevice& iface =
            link == sim::SimLink::Cable ? channel.WiredInterface() : channel.ReceiverInterface();
        ASSERT_TRUE(iface.Open(path, true, true, true, false));
        channel.SetMode(link == sim::SimLink::Cable ? 1 : 2);
        channel.SetEnabled(true);
    }

    void OpenNotifications(sim::SimLink link) {
        const std::string path = bus->NotificationPath(*keypad, link);
        ASSERT_FALSE(path.empty());
        ASSERT_TRUE(device->Connection().OpenNotification(
            link == sim::SimLink::Cable ? devices::kModelKeyboard : devices::kModelKeyboardReceiver,
            path));
    }

    void Connect(sim::SimLink link = sim::SimLink::Cable) {
        MakeDevice(link);
        Bind(link);
        device->OnDeviceArrived();
    }

    void DropDevice() {
        if (device)
            device->StopWorkers();
        device.reset();
    }

    // Commands of the accepted host packets, in order.
    std::vector<std::uint8_t> Commands() const {
        std::vector<std::uint8_t> commands;
        for (const sim::SimPacketRecord& r : keypad->AcceptedPackets())
            commands.push_back(r.bytes[3]);
        return commands;
    }
    std::size_t WritesSeen() const {
        std::size_t writes = 0;
        for (std::uint8_t command : {0x06, 0x09, 0x0B, 0x12, 0x15, 0x17})
            writes += keypad->AcceptedPackets(command).size();
        return writes;
    }

    static constexpr std::uint16_t kUnknownProductId = 0x7001;
    bool knownProduct = true;
    QTemporaryDir userRoot;
    std::shared_ptr<sim::CSimHidBackend> bus;
    std::shared_ptr<sim::CSimKeypad> keypad;
    std::unique_ptr<sim::SimKeypadMemory> memory;
    std::shared_ptr<hid::IHidBackend> previousBackend;
    std::unique_ptr<devices::CCorvaneKeyboardDevice> device;
};

} // namespace vpc::test
