// The headset device built from its page: the panels' events through the routes reach the
// audio chip and the profile, its LEDs reach the headset as output reports, and nothing goes
// to its command protocol.
#include "CorvaneHS6533Device.h"
#include "HeadsetPanels.h"
#include "HeadsetRoutes.h"

#include "CSimHeadset.h"
#include "CSimHidBackend.h"
#include "DialogBuilder.h"
#include "SkinResources.h"

#include <QAbstractSlider>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace vpc::test {
namespace {

using devices::CCorvaneHS6533Device;
using devices::headset::CSimulatedAudioChip;

class HeadsetDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(userRoot.isValid());
        qputenv("VPC_USER_DATA_ROOT", userRoot.path().toUtf8());
        qputenv("VPC_DEFAULT_DATA_DIR", VPC_TEST_DEFAULT_DATA);
        ASSERT_TRUE(
            CSkinResources::Instance().SetResourcePath(QString::fromUtf8(VPC_TEST_SKIN_DIR)));
        panels::RegisterHeadsetControls();
        bus = sim::CSimHidBackend::Create();
        headset = sim::CSimHeadset::Create();
        bus->Attach(headset);
        headset->PlugCable();
        hid::SetDefaultHidBackend(bus);
        panels::HeadsetRouteServices services;
        services.showMessage = [this](const QString& id) { messages << id; };
        panels::RegisterHeadsetRoutes(routes, std::move(services));

        QWidget* root = CDialogBuilder::Create(
            QStringLiteral("XML\\DeviceXml\\hs6533device.xml"),
            [](const QString& className) -> QWidget* {
                if (className == QLatin1String(CCorvaneHS6533Device::kClassName))
                    return new CCorvaneHS6533Device();
                return nullptr;
            },
            nullptr);
        device.reset(qobject_cast<CCorvaneHS6533Device*>(root));
        ASSERT_TRUE(device) << CDialogBuilder::LastError().toStdString();
        devices::DeviceIdentity identity;
        identity.vendorId = sim::CSimHeadset::kVendorId;
        identity.productId = sim::CSimHeadset::kProductId;
        identity.interfaceNumber = 3;
        identity.modelCode = devices::kModelHeadset;
        identity.path = bus->CommandPath(*headset, sim::SimLink::Cable);
        device->SetPageLayoutName(QStringLiteral("XML\\DeviceXml\\hs6533device.xml"));
        device->SetLedCapacity(13);
        device->SetDeviceName(QStringLiteral("HD"));
        device->SetIdentity(identity);
        device->SetLightType(3);
        device->Init();
        chip = dynamic_cast<CSimulatedAudioChip*>(device->AudioChip());
        ASSERT_NE(chip, nullptr) << "a simulated headset gets the simulated chip";
        hid::CCommandChannel& channel = device->Channel();
        ASSERT_TRUE(channel.WiredInterface().Open(identity.path, true, true, true, false));
        channel.SetMode(1);
        channel.SetEnabled(true);
        device->OnDeviceArrived();
        voice = device->findChild<panels::CVoice6533ControlUI*>();
        ASSERT_NE(voice, nullptr);
    }
    void TearDown() override {
        if (device)
            device->StopWorkers();
        device.reset();
        hid::SetDefaultHidBackend(nullptr);
        qunsetenv("VPC_USER_DATA_ROOT");
        qunsetenv("VPC_DEFAULT_DATA_DIR");
    }
    int Notify(const char* type, QWidget* sender) {
        TNotifyUI msg;
        msg.sType = QString::fromLatin1(type);
        msg.pSender = sender;
        return routes.Run(msg, {device.get(), 7});
    }
    QWidget* Part(const char* name) { return device->FindPageControl(QString::fromLatin1(name)); }
    std::optional<std::string> Band(int n) {
        return chip->Stored(devices::headset::AudioFlow::Playback, "EQ_Slider" + std::to_string(n));
    }

    QTemporaryDir userRoot;
    std::shared_ptr<sim::CSimHidBackend> bus;
    std::shared_ptr<sim::CSimHeadset> headset;
    std::unique_ptr<CCorvaneHS6533Device> device;
    CSimulatedAudioChip* chip = nullptr;
    panels::CVoice6533ControlUI* voice = nullptr;
    panels::CRouteTable routes;
    QStringList messages;
};

TEST_F(HeadsetDeviceTest, PresetsBandsAndCustomNamesThroughThePanel) {
    QWidget* preset5 = Part("6533_eq_option_5");
    CControlUI(preset5).Selected(true, false);
    EXPECT_EQ(Notify(DuiEvent::SelectChanged, preset5), 1);
    EXPECT_EQ(chip->Stored(devices::headset::AudioFlow::Playback, "Enable_EQ_GFX"), "1");
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(Band(n), "0") << n;
    EXPECT_EQ(voice->EqType(), 5);

    QWidget* preset3 = Part("6533_eq_option_3");
    CControlUI(preset3).Selected(true, false);
    Notify(DuiEvent::SelectChanged, preset3);
    EXPECT_EQ(Band(1), "10");
    const auto saved = device->HeadsetProfile().GetSystemSetStages();
    QWidget* band4 = Part("6533_eq_hz_slider_4");
    CControlUI(band4).SetValue(-7);
    Notify(DuiEvent::ValueChanged, band4);
    EXPECT_EQ(Band(4), "-7");
    EXPECT_EQ(voice->EqType(), 13) << "a moved band makes the setting custom";
    device->LoadProfile();
    EXPECT_EQ(device->HeadsetProfile().GetSystemSetStages(), saved) << "not saved yet";

    // a custom equaliser saved by name; the same name in another case is refused
    voice->SetCustomEqName("Night");
    Notify(DuiEvent::Click, Part("hs_EQ_btn_save"));
    voice->SetCustomEqName("NIGHT");
    Notify(DuiEvent::Click, Part("hs_EQ_btn_save"));
    EXPECT_EQ(messages, QStringList{"message_text_5"});
}

TEST_F(HeadsetDeviceTest, AFailedMuteWriteLeavesTheFlagAndThePanel) {
    QWidget* mic = Part("6533_MicIn_option");
    const bool shown = CControlUI(mic).IsSelected();
    chip->failingWrites.insert("MuteControl");
    CControlUI(mic).Selected(!shown, false);
    Notify(DuiEvent::SelectChanged, mic);
    EXPECT_EQ(CControlUI(mic).IsSelected(), shown);
    chip->failingWrites.clear();
    CControlUI(mic).Selected(!shown, false);
    Notify(DuiEvent::SelectChanged, mic);
    EXPECT_EQ(CControlUI(mic).IsSelected(), !shown);
}

TEST_F(HeadsetDeviceTest, TheLedsGoOutAsTwelveReportsAndNothingToTheCommandProtocol) {
    headset->ClearPacketLog();
    EXPECT_EQ(device->WriteOnboardProfile(0, 0, 1, 0, 0), 1);
    // white at full brightness, standing still
    device->SetLightInfo(3u | (4u << 8), 0xFFFFFF00u, 0, 0);
    device->LightEngine().RunStep();
    device->SendLightFrame();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (headset->LightReports().size() < 12 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto reports = headset->LightReports();
    ASSERT_EQ(reports.size(), 12u);
    EXPECT_EQ(reports[0][0], 0xFF);
    EXPECT_EQ(reports[0][1], 0x22);
    EXPECT_EQ(reports[0][2], 0xAA);
    EXPECT_EQ(reports[0][4], 247) << "255 at brightness 255 is sent as 247";
    EXPECT_EQ(reports[1][10], 0) << "LEDs 7-12 leave byte 10 empty";
    device->SendLightFrame(); // the same colours: not sent again until the keep-alive
    EXPECT_EQ(device->LightFramesSent(), 1u);
    EXPECT_TRUE(headset->AcceptedPackets().empty()) << "no command packets";
}

} // namespace
} // namespace vpc::test
