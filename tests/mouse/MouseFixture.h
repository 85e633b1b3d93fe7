// Test fixture: a simulated mouse (and keypad) on a simulated bus, and the mouse device object
// built from its page layout and bound over the cable or the receiver, with its user data in a
// temporary folder and its page's routes in a route table of its own.
#pragma once

#include "CorvaneMouseDevice.h"
#include "MouseRoutes.h"

#include "CSimHidBackend.h"
#include "CSimKeypad.h"
#include "CSimMouse.h"
#include "DialogBuilder.h"
#include "SkinResources.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vpc::test {

inline constexpr const char* kMouseLayout = "XML\\DeviceXml\\mousedevice.xml";
inline constexpr int kScreenWidth = 2560;
inline constexpr int kScreenHeight = 1440;

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

class MouseFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(userRoot.isValid());
        qputenv("VPC_USER_DATA_ROOT", userRoot.path().toUtf8());
        qputenv("VPC_DEFAULT_DATA_DIR", VPC_TEST_DEFAULT_DATA);
        ASSERT_TRUE(
            CSkinResources::Instance().SetResourcePath(QString::fromUtf8(VPC_TEST_SKIN_DIR)));
        CSkinResources::Instance().LoadLanguage("en", "language/en.json");
        bus = sim::CSimHidBackend::Create();
        mouse = sim::CSimMouse::Create();
        bus->Attach(mouse);
        mouse->PlugCable();
        mouse->PlugReceiver();
        keypad = bus->AddKeypad(); // a keypad beside the mouse on the same bus
        keypad->PlugCable();
        previousBackend = hid::DefaultHidBackend();
        hid::SetDefaultHidBackend(bus);
        panels::MouseRouteServices services;
        services.screenPixels = [] { return QSize(kScreenWidth, kScreenHeight); };
        services.showMessage = [this](const QString& textId) { messages << textId; };
        services.chooseColour = [this](std::uint32_t) { return chosenColour; };
        panels::RegisterMouseRoutes(routes, std::move(services));
    }

    void TearDown() override {
        DropDevice();
        hid::SetDefaultHidBackend(previousBackend);
        qunsetenv("VPC_USER_DATA_ROOT");
    }

    void MakeDevice(sim::SimLink link = sim::SimLink::Cable) {
        DropDevice();
        QWidget* root = CDialogBuilder::Create(
            QString::fromLatin1(kMouseLayout),
            [](const QString& className) -> QWidget* {
                if (className == QLatin1String(devices::CCorvaneMouseDevice::kFactoryName))
                    return new devices::CCorvaneMouseDevice();
                return nullptr;
            },
            nullptr);
        device.reset(qobject_cast<devices::CCorvaneMouseDevice*>(root));
        ASSERT_TRUE(device) << CDialogBuilder::LastError().toStdString();
        devices::DeviceIdentity identity;
        identity.vendorId = sim::CSimMouse::kVendorId;
        identity.productId = link == sim::SimLink::Cable ? sim::CSimMouse::kCableProductId
                                                         : sim::CSimMouse::kReceiverProductId;
        identity.modelCode =
            link == sim::SimLink::Cable ? devices::kModelMouse : devices::kModelMouseReceiver;
        device->SetPageLayoutName(QString::fromLatin1(kMouseLayout));
        device->SetKeyCapacity(11);
        device->SetLedCapacity(15);
        device->SetDeviceName(QStringLiteral("mouse"));
        device->SetIdentity(identity);
        device->SetLightType(1);
        device->SetLightingFileBase(QStringLiteral("zemra_light"));
        device->Init();
    }

    void Bind(sim::SimLink link) {
        hid::CCommandChannel& channel = device->Channel();
        channel.SetEnabled(false);
        const std::string path = bus->CommandPath(*mouse, link);
        ASSERT_FALSE(path.empty());
        hid::CHidDevice& iface =
            link == sim::SimLink::Cable ? channel.WiredInterface() : channel.ReceiverInterface();
        ASSERT_TRUE(iface.Open(path, true, true, true, false));
        channel.SetMode(link == sim::SimLink::Cable ? 1 : 2);
        channel.SetEnabled(true);
    }

    void Connect(sim::SimLink link = sim::SimLink::Cable) {
        MakeDevice(link);
        Bind(link);
        device->OnDeviceArrived();
        mouse->ClearPacketLog();
    }

    void DropDevice() {
        if (device)
            device->StopWorkers();
        device.reset();
    }

    QWidget* Control(const char* name) const {
        return device->FindPageControl(QString::fromLatin1(name));
    }

    // A notification of a page control, run through the mouse routes with the mouse (or
    // another device) as the current device.
    int Notify(const char* type, QWidget* sender, QWidget* current = nullptr, int currentType = 2) {
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(type);
        msg.pSender = sender;
        panels::CurrentDevice currentDevice{current ? current : device.get(), currentType};
        return routes.Run(msg, currentDevice);
    }

    // Commands of the accepted host packets, in order.
    std::vector<std::uint8_t> Commands() const {
        std::vector<std::uint8_t> commands;
        for (const sim::SimPacketRecord& r : mouse->AcceptedPackets())
            commands.push_back(r.bytes[3]);
        return commands;
    }

    QTemporaryDir userRoot;
    std::shared_ptr<sim::CSimHidBackend> bus;
    std::shared_ptr<sim::CSimMouse> mouse;
    std::shared_ptr<sim::CSimKeypad> keypad;
    std::shared_ptr<hid::IHidBackend> previousBackend;
    std::unique_ptr<devices::CCorvaneMouseDevice> device;
    panels::CRouteTable routes;
    QStringList messages;
    std::optional<std::uint32_t> chosenColour;
};

} // namespace vpc::test
