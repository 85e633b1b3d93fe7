// The lighting panel tests' world: a temporary user data root, the program's skin, a window
// whose Notify runs the route table as the main window's does, the real device list with its
// keyboard object, and the simulated keypad discovered through the normal path.
#pragma once

#include "LightControlUI.h"
#include "LightWriteThrottle.h"
#include "LightingRoutes.h"
#include "RouteTable.h"

#include "CorvaneKeyboardDevice.h"
#include "CustomControls.h"
#include "DataFolders.h"
#include "DeviceList.h"
#include "DeviceOptionUI.h"
#include "JsonFile.h"
#include "SkinResources.h"
#include "WindowImplBase.h"

#include "CSimHidBackend.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace vpc::panels::test {

// The keypad's memories as its firmware holds them: the active onboard slot (parameter byte 0)
// with its 64-byte record, the key count (information byte 5) and the colour banks.
class KeypadMemory {
public:
    static constexpr std::size_t kRecordSize = 64;
    explicit KeypadMemory(const sim::CSimDevice& device) : m_device(device) {}

    std::array<std::uint8_t, kRecordSize> ActiveRecord() const {
        const std::vector<std::uint8_t> param = m_device.Region(sim::SimRegion::Param);
        std::array<std::uint8_t, kRecordSize> record{};
        const std::size_t offset = param.empty() ? 0 : std::size_t{param[0]} * kRecordSize;
        if (offset + kRecordSize <= param.size())
            std::copy_n(param.begin() + static_cast<std::ptrdiff_t>(offset), kRecordSize,
                        record.begin());
        return record;
    }
    int KeyCount() const {
        const std::vector<std::uint8_t> info = m_device.Region(sim::SimRegion::Info);
        return info.size() > 5 ? info[5] : 0;
    }
    std::vector<std::uint8_t> ColourBank(std::uint32_t bank, std::uint32_t stride,
                                         std::size_t length) const {
        const std::vector<std::uint8_t> colours = m_device.Region(sim::SimRegion::Colours);
        const std::size_t offset = std::size_t{bank} * stride;
        if (offset + length > colours.size())
            return {};
        return {colours.begin() + static_cast<std::ptrdiff_t>(offset),
                colours.begin() + static_cast<std::ptrdiff_t>(offset + length)};
    }

private:
    const sim::CSimDevice& m_device;
};

class LightingWindow : public WindowImplBase {
public:
    QString GetWindowClassName() const override { return "LightingTestWnd"; }
    QString GetSkinFile() const override { return "XML_MAIN"; }
    void Notify(TNotifyUI& msg) override {
        if (dispatcher)
            dispatcher->Dispatch(msg);
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override {
        if (list && list->HandleDeviceMessage(message, wParam, lParam)) {
            handled = true;
            return 0;
        }
        return WindowImplBase::HandleMessage(message, wParam, lParam, handled);
    }
    devices::CDeviceList* list = nullptr;
    CEventDispatcher* dispatcher = nullptr;
};

// A temporary user data root with the shipped default data, the program's skin in English and
// the lighting controls registered; the data root variables are cleared again at the end.
class LightingTestRoot {
public:
    LightingTestRoot() {
        qputenv(data::kUserRootEnv, m_root.path().toUtf8());
        qputenv(data::kDefaultDataEnv, VPC_TEST_DEFAULT_DATA_DIR);
        CSkinResources& skin = CSkinResources::Instance();
        m_skinLoaded = skin.SetResourcePath(QStringLiteral(VPC_TEST_SKIN_DIR "/")) &&
                       skin.LoadLanguage("English", "language/en.json");
        RegisterLightingControls();
    }
    ~LightingTestRoot() {
        qunsetenv(data::kUserRootEnv);
        qunsetenv(data::kDefaultDataEnv);
    }
    LightingTestRoot(const LightingTestRoot&) = delete;
    LightingTestRoot& operator=(const LightingTestRoot&) = delete;
    bool IsSkinLoaded() const { return m_skinLoaded; }

private:
    QTemporaryDir m_root;
    bool m_skinLoaded = false;
};

class LightingPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.IsSkinLoaded());
        CControlFactory& factory = CControlFactory::Instance();
        RegisterControlClass<CSelectPanelUI>(factory);
        RegisterControlClass<CDeviceKeyButtonUI>(factory);
        devices::RegisterDeviceControls();

        bus = sim::CSimHidBackend::Create();
        keypad = bus->AddKeypad();
        hid::SetDefaultHidBackend(bus);
        window = std::make_unique<LightingWindow>();
        ASSERT_TRUE(window->Create(nullptr, "lighting", 0, 0, 1100, 760));
        list = std::make_unique<devices::CDeviceList>(*window, devices::DeviceListHooks{}, bus);
        window->list = list.get();
        dispatcher = std::make_unique<CEventDispatcher>([this] {
            devices::CCorvaneUSBDevice* device = list->GetCurrentDevice();
            return CurrentDevice{device, device ? device->DeviceType() : 0};
        });
        RegisterLightingRoutes(dispatcher->Routes(), {[this] { ++synchronised; }});
        window->dispatcher = dispatcher.get();
        list->CreateInitialDevices();
        window->resize(1100, 760);
        window->show();
    }
    void TearDown() override {
        window->dispatcher = nullptr;
        list->StopWorkers();
        window->list = nullptr;
        discovery.reset();
        list.reset();
        window.reset();
        hid::SetDefaultHidBackend(nullptr);
    }

    // Plugs the keypad in and waits until its device object has read it and shows its page.
    void Connect(bool receiver = false) {
        receiver ? keypad->PlugReceiver() : keypad->PlugCable();
        sink = std::make_unique<Sink>(*this);
        discovery = std::make_unique<devices::CDiscoveryThread>(list->Slots(), *sink, bus);
        ASSERT_TRUE(discovery->RunCycle());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return Keyboard() && Keyboard()->IsLightThreadRunning(); }, 10000));
        ASSERT_EQ(list->GetCurrentDevice(), Keyboard());
        ASSERT_NE(Panel(), nullptr);
        QTest::qWait(20); // the page lays itself out
    }

    devices::CCorvaneKeyboardDevice* Keyboard() const {
        for (devices::CCorvaneUSBDevice* device : list->DeviceObjects())
            if (auto* keyboard = qobject_cast<devices::CCorvaneKeyboardDevice*>(device))
                return keyboard;
        return nullptr;
    }
    CLightControlUI* Panel() const { return LightPanelOf(Keyboard()); }
    template <typename T = QWidget> T* Part(const char* name) const {
        return Panel() ? Panel()->Part(QString::fromLatin1(name)).as<T>() : nullptr;
    }

    // Waits until every gathered write of the keyboard has gone out and its quiet window passed.
    void Settle() {
        auto* throttle = Keyboard()->findChild<CLightWriteThrottle*>();
        if (throttle) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return throttle->IsIdle(); }, 2000));
        }
    }

    std::array<std::uint8_t, KeypadMemory::kRecordSize> DeviceRecord() const {
        return KeypadMemory(*keypad).ActiveRecord();
    }
    Json::Value ProfileLight() const {
        return data::ReadJsonFile(
            Keyboard()->ProfileData().GetProfilePath())["Device"][0]["LightInfo"];
    }
    int RecordWrites() const {
        return static_cast<int>(
            keypad->AcceptedPackets(static_cast<std::uint8_t>(hid::DeviceCommand::WriteParamMemory))
                .size());
    }

    struct Sink : devices::IDiscoverySink {
        explicit Sink(LightingPanelTest& t) : test(t) {}
        bool OnSlotArrived(int slot) override {
            test.window->SendMessage(devices::kUmDeviceArrived, static_cast<WPARAM>(slot), 0);
            return true;
        }
        bool OnSlotRemoved(int slot) override {
            test.window->SendMessage(devices::kUmDeviceRemoved, static_cast<WPARAM>(slot), 0);
            return true;
        }
        void OnFirstPassDone() override {}
        void OnAccessDenied(const std::string&) override {}
        LightingPanelTest& test;
    };

    LightingTestRoot root;
    std::shared_ptr<sim::CSimHidBackend> bus;
    std::shared_ptr<sim::CSimKeypad> keypad;
    std::unique_ptr<LightingWindow> window;
    std::unique_ptr<devices::CDeviceList> list;
    std::unique_ptr<CEventDispatcher> dispatcher;
    std::unique_ptr<Sink> sink;
    std::unique_ptr<devices::CDiscoveryThread> discovery;
    int synchronised = 0;
};

} // namespace vpc::panels::test
