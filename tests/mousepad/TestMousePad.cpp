// The lit mouse pad: its wave, rings and step intervals, and the device against the simulated
// pad (the record read at connection and written back whole, the mode list, sync codes).
#include "CorvaneMousePadDevice.h"
#include "PadLightEngine.h"

#include "CSimHidBackend.h"
#include "CSimMousePad.h"
#include "DialogBuilder.h"
#include "SkinResources.h"
#include "lighting/LightTables.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vpc::test {
namespace {

using devices::CDeviceLightState;
using devices::DeviceLightRecord;
using devices::mousepad::PadLightEngine;
using lighting::LedColor;

DeviceLightRecord Record(std::uint8_t mode, std::uint8_t speed, std::uint8_t direction,
                         std::uint8_t multi) {
    DeviceLightRecord r;
    r.mode = mode;
    r.brightness = 4;
    r.speed = speed;
    r.direction = direction;
    r.multiColor = multi;
    r.red = 0x2C;
    r.green = 0x9A;
    r.blue = 0xE1;
    return r;
}

TEST(PadEffects, TheWaveAtStep191GivesLedZeroWheelEntryZeroAndLedOneEntrySeven) {
    CDeviceLightState state;
    state.SetLedCapacity(15);
    PadLightEngine engine(state);
    engine.SetRecord(Record(0, 2, 0, 1)); // backward from 0: the step counter becomes 191
    engine.RunStep();
    ASSERT_EQ(engine.StepCounter(), 191);
    const auto& wheel = lighting::ColorWheel();
    for (const auto& [led, entry] : {std::pair{0, 0}, {1, 7}, {14, 98}}) {
        const lighting::Rgb c = wheel[static_cast<std::size_t>(entry)];
        EXPECT_EQ(state.GetLedColor(led), (LedColor{c.red, c.green, c.blue, 255})) << led;
    }
}

TEST(PadEffects, SpeedFourStepsEverySevenPassesSpeedZeroEveryTwentyEight) {
    struct Case {
        std::uint8_t speed;
        int passes;
    };
    for (const Case c : {Case{4, 7}, Case{3, 13}, Case{0, 28}}) {
        SCOPED_TRACE(int{c.speed});
        CDeviceLightState state;
        state.SetLedCapacity(15);
        PadLightEngine engine(state);
        engine.SetRecord(Record(3, c.speed, 0, 0)); // static colour: painted at the first step
        for (int pass = 1; pass < c.passes; ++pass)
            engine.RunPass(static_cast<std::uint64_t>(pass));
        EXPECT_EQ(state.GetLedColor(9), LedColor{});
        engine.RunPass(static_cast<std::uint64_t>(c.passes));
        EXPECT_EQ(state.GetLedColor(9), (LedColor{0x2C, 0x9A, 0xE1, 255}));
    }
}

TEST(PadEffects, TheRingsMoveOnEverySecondStepAndLightPairsTogether) {
    CDeviceLightState state;
    state.SetLedCapacity(15);
    PadLightEngine engine(state);
    engine.SetRecord(Record(7, 2, 1, 0)); // pair ring, direction set: the ring runs backwards
    engine.RunStep();
    engine.RunStep();
    engine.RunStep(); // third step: the ring marks pair 0 and moves
    EXPECT_EQ(state.Intensity(0), 255 - 40) << "marked, then faded once";
    EXPECT_EQ(state.GetLedColor(1), state.GetLedColor(14)) << "both LEDs of pair 0";
    EXPECT_NE(state.GetLedColor(1).brightness, 0);
    EXPECT_EQ(state.GetLedColor(0), LedColor{}) << "LED 0 is in no pair";
}

class MousePadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(userRoot.isValid());
        qputenv("VPC_USER_DATA_ROOT", userRoot.path().toUtf8());
        qputenv("VPC_DEFAULT_DATA_DIR", VPC_TEST_DEFAULT_DATA);
        ASSERT_TRUE(
            CSkinResources::Instance().SetResourcePath(QString::fromUtf8(VPC_TEST_SKIN_DIR)));
        bus = sim::CSimHidBackend::Create();
        pad = sim::CSimMousePad::Create();
        bus->Attach(pad);
        pad->PlugCable();
        hid::SetDefaultHidBackend(bus);
    }
    void TearDown() override {
        if (device)
            device->StopWorkers();
        device.reset();
        hid::SetDefaultHidBackend(nullptr);
        qunsetenv("VPC_USER_DATA_ROOT");
        qunsetenv("VPC_DEFAULT_DATA_DIR");
    }
    void Connect() {
        QWidget* root = CDialogBuilder::Create(
            QStringLiteral("XML\\DeviceXml\\mousepaddevice.xml"),
            [](const QString& className) -> QWidget* {
                if (className == QLatin1String(devices::CCorvaneMousePadDevice::kClassName))
                    return new devices::CCorvaneMousePadDevice();
                return nullptr;
            },
            nullptr);
        device.reset(qobject_cast<devices::CCorvaneMousePadDevice*>(root));
        ASSERT_TRUE(device) << CDialogBuilder::LastError().toStdString();
        devices::DeviceIdentity identity;
        identity.vendorId = sim::CSimMousePad::kVendorId;
        identity.productId = sim::CSimMousePad::kProductId;
        identity.modelCode = devices::kModelMousePad;
        device->SetPageLayoutName(QStringLiteral("XML\\DeviceXml\\mousepaddevice.xml"));
        device->SetLedCapacity(15);
        device->SetDeviceName(QStringLiteral("MousePad"));
        device->SetIdentity(identity);
        device->SetLightType(2);
        device->Init();
        hid::CCommandChannel& channel = device->Channel();
        ASSERT_TRUE(channel.WiredInterface().Open(bus->CommandPath(*pad, sim::SimLink::Cable), true,
                                                  true, true, false));
        channel.SetMode(1);
        channel.SetEnabled(true);
        device->OnDeviceArrived();
    }

    QTemporaryDir userRoot;
    std::shared_ptr<sim::CSimHidBackend> bus;
    std::shared_ptr<sim::CSimMousePad> pad;
    std::unique_ptr<devices::CCorvaneMousePadDevice> device;
};

TEST_F(MousePadTest, TheFirstWriteCarriesThePadsOwnBytesAndTheUsersDirection) {
    pad->PokeByte(sim::SimRegion::Param, 0, 2); // slot 2 active
    pad->SetRecordByte(0, 21, 0x5D);
    Connect();
    EXPECT_EQ(device->OnboardSlot(), 2);
    EXPECT_TRUE(device->LedButton(14) != nullptr);
    // the user picks mode 7 (pair ring), speed 1, direction 0, colour 12 34 56
    device->SetLightInfo(7u | (3u << 8) | (1u << 16), 0x56341200u, 0, 0);
    pad->ClearPacketLog();
    EXPECT_EQ(device->WriteOnboardProfile(0, 0, 1, 0, 0), 1);
    const auto record = pad->Record(0);
    EXPECT_EQ(record[0], 2) << "the slot read";
    EXPECT_EQ(record[1], 7);
    EXPECT_EQ(record[2], 3);
    EXPECT_EQ(record[3], 3) << "4 - speed 1";
    EXPECT_EQ(record[4], 0) << "the user's direction, not the pad's";
    EXPECT_EQ(record[6], 0x12);
    EXPECT_EQ(record[7], 0x34);
    EXPECT_EQ(record[8], 0x56);
    for (std::size_t i = 9; i <= 20; ++i)
        EXPECT_EQ(record[i], 0xA2 + i) << "byte " << i << " as slot 2 of the pad had it";
    EXPECT_EQ(record[21], 0x5D) << "beyond the 21 bytes nothing is written";
    // a second write in a row sends the same mode byte
    EXPECT_EQ(device->WriteOnboardProfile(0, 0, 1, 0, 0), 1);
    EXPECT_EQ(pad->Record(0)[1], 7);
    EXPECT_EQ(pad->AcceptedPackets(0x01).size(), pad->AcceptedPackets(0x02).size());
}

TEST_F(MousePadTest, AShortModeListKeepsValuesBeyondIt) {
    // a user folder whose lighting names give the pad only three modes, valued 10, 11, 12
    QDir(userRoot.path()).mkpath("MousePad");
    Connect();
    EXPECT_EQ(device->ModeValueOf(6), 6) << "the default list values positions as themselves";
    const QString defaults = userRoot.path() + "/defaults";
    QDir().mkpath(defaults);
    QFile::copy(QStringLiteral(VPC_TEST_DEFAULT_DATA) + "/MousePad.Json",
                defaults + "/MousePad.Json");
    QFile list(defaults + "/default_light.json");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(
        R"({"DefaultLightName":[[],[],[{"LightName":"a","value":10,"visible":true},)"
        R"({"LightName":"b","value":11,"visible":true},)"
        R"({"LightName":"c","value":12,"visible":true}],[]],"AreaLightName":[[],[],[],[]]})");
    list.close();
    qputenv("VPC_DEFAULT_DATA_DIR", defaults.toUtf8());
    device->LoadDefaultData();
    EXPECT_EQ(device->ModeValueOf(1), 11);
    EXPECT_EQ(device->ModeValueOf(6), 6) << "past the list's end: the position itself";
    EXPECT_EQ(device->ModePositionOf(12), 2);
    EXPECT_EQ(device->ModePositionOf(40), 40);
}

TEST_F(MousePadTest, OnlySyncCode1025ReadsThePadAgain) {
    Connect();
    pad->ClearPacketLog();
    device->Connection().OpenNotification(devices::kModelMousePad,
                                          bus->NotificationPath(*pad, sim::SimLink::Cable));
    pad->SendNotification(1026);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (device->LastSyncCode() != 1026 && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(device->LastSyncCode(), 1026);
    EXPECT_TRUE(pad->AcceptedPackets(0x05).empty()) << "nothing read";
    // the reread itself (what the entry's timer runs on 1025) takes the slot switched on the pad
    pad->PokeByte(sim::SimRegion::Param, 0, 5);
    device->OnDeviceSync();
    EXPECT_EQ(device->OnboardSlot(), 5);
    // a slot byte beyond the pad's memory: the read fails and the mirror stays
    pad->PokeByte(sim::SimRegion::Param, 0, 200);
    device->OnDeviceSync();
    EXPECT_EQ(device->OnboardSlot(), 5);
}

} // namespace
} // namespace vpc::test
