// The mouse device against the simulated mouse: what it reads when it connects, what the page's
// DPI, polling and pointer controls write into the mouse and the profile, its sync reports, the
// receiver's link and hostile values from the device.
#include "MouseFixture.h"

#include "ControlUI.h"
#include "SimulatedDevices.h"

#include <QAbstractSlider>
#include <QStackedWidget>

namespace vpc::test {
namespace {

using sim::CSimMouse;
using sim::SimLink;

constexpr std::size_t kStageBase = 14; // record byte of stage 0
constexpr std::size_t kStageSize = 9;

int StageDpiX(const std::array<std::uint8_t, 128>& record, int stage) {
    const std::size_t at = kStageBase + kStageSize * static_cast<std::size_t>(stage) + 2;
    return record[at] | (record[at + 1] << 8);
}

class MouseDeviceTest : public MouseFixture {};

TEST_F(MouseDeviceTest, ConnectingReadsTheButtonsAndTheDpiScaleButNotTheRecord) {
    MakeDevice();
    Bind(SimLink::Cable);
    mouse->ClearPacketLog();
    device->OnDeviceArrived();
    EXPECT_EQ(Commands(), (std::vector<std::uint8_t>{0x01, 0x03, 0x07, 0x02}))
        << "session, information block, key table; no onboard record";
    EXPECT_TRUE(device->IsConfigValid());
    for (int button = 0; button < 11; ++button)
        EXPECT_EQ(device->ButtonPositions()[static_cast<std::size_t>(button)],
                  CSimMouse::FactoryPosition(static_cast<std::size_t>(button)))
            << button;
    auto* slider = qobject_cast<QAbstractSlider*>(Control("DPI_slider_3"));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->maximum(), CSimMouse::kSliderMax);
    // the default profile's stage 2 is position 31: 31 x 50 + 50 DPI
    EXPECT_EQ(CControlUI(Control("DPI_edit_2")).GetText(), "1600");
    EXPECT_TRUE(device->IsLightThreadRunning());
    EXPECT_TRUE(device->KeyButton(10) != nullptr && device->LedButton(14) != nullptr);
}

TEST_F(MouseDeviceTest, MovingADpiSliderWritesTheStageIntoTheMousesRecordAndProfile) {
    Connect();
    auto* slider = qobject_cast<QAbstractSlider*>(Control("DPI_slider_3"));
    ASSERT_NE(slider, nullptr);
    CControlUI(slider).SetValue(87);
    EXPECT_EQ(Notify(DuiEvent::MoveValueChanged, slider), 1);
    EXPECT_EQ(CControlUI(Control("DPI_edit_3")).GetText(), "4400") << "87 x 50 + 50";
    EXPECT_TRUE(Commands().empty()) << "moving only shows the value";
    EXPECT_EQ(Notify(DuiEvent::ValueChanged, slider), 1);
    EXPECT_EQ(Commands(), (std::vector<std::uint8_t>{0x01, 0x06, 0x06, 0x02}));
    const auto record = mouse->Record(0);
    EXPECT_EQ(StageDpiX(record, 3), 87);
    EXPECT_EQ(StageDpiX(record, 2), 31) << "the other stages as they were";
    EXPECT_EQ(record[12], 1) << "the default profile's active stage";
    EXPECT_EQ(record[60] | (record[61] << 8), kScreenWidth);
    EXPECT_EQ(record[62] | (record[63] << 8), kScreenHeight);
    EXPECT_EQ(record[64], 16) << "the selected lift-off correction of the default profile";
    EXPECT_EQ(record[65], 3);
    // and the profile file on disk
    device->LoadProfile();
    EXPECT_EQ(device->GetStages()[3].stageDpiX, 87);
    EXPECT_TRUE(keypad->AcceptedPackets().empty()) << "the keypad beside it gets nothing";
}

TEST_F(MouseDeviceTest, TypedDpiBecomesASliderPositionOfTheSensorsScale) {
    mouse->SetSensor(3395, 50, 519, 100);
    Connect();
    struct Case {
        const char* typed;
        int position;
        const char* shown;
    };
    for (const Case& c :
         {Case{"630", 10, "600"}, Case{"", 0, "100"}, Case{"99999", 519, "26050"}}) {
        SCOPED_TRACE(c.typed);
        QWidget* edit = Control("DPI_edit_1");
        CControlUI(edit).SetText(QString::fromLatin1(c.typed));
        EXPECT_EQ(Notify(DuiEvent::KillFocus, edit), 1);
        EXPECT_EQ(CControlUI(edit).GetText(), c.shown);
        EXPECT_EQ(StageDpiX(mouse->Record(0), 1), c.position);
    }
    mouse->SetSensor(13093, 100, 120, 100);
    Connect();
    QWidget* edit = Control("DPI_edit_4");
    CControlUI(edit).SetText("5300");
    Notify(DuiEvent::Return, edit);
    EXPECT_EQ(StageDpiX(mouse->Record(0), 4), 49);
    EXPECT_EQ(CControlUI(edit).GetText(), "5100");
}

TEST_F(MouseDeviceTest, TheLastStageSwitchedOnCannotBeSwitchedOff) {
    Connect();
    // stage 1 is the one in use; switch off 0, 2, 3 and 4
    for (int stage : {0, 2, 3, 4}) {
        QWidget* option = Control(qPrintable(QStringLiteral("DPI_enable_check_%1").arg(stage)));
        CControlUI(option).Selected(false, false);
        Notify(DuiEvent::SelectChanged, option);
    }
    EXPECT_FALSE(Control("DPI_enable_check_1")->isEnabled());
    const auto record = mouse->Record(0);
    for (int stage : {0, 2, 3, 4})
        EXPECT_EQ(record[kStageBase + kStageSize * static_cast<std::size_t>(stage)], 0) << stage;
    EXPECT_EQ(record[kStageBase + kStageSize], 1);
    // switching one back on enables the options again (the active stage's stays disabled)
    QWidget* third = Control("DPI_enable_check_3");
    CControlUI(third).Selected(true, false);
    Notify(DuiEvent::SelectChanged, third);
    for (int stage : {0, 2, 3, 4})
        EXPECT_TRUE(
            Control(qPrintable(QStringLiteral("DPI_enable_check_%1").arg(stage)))->isEnabled())
            << stage;
    EXPECT_EQ(mouse->Record(0)[kStageBase + kStageSize * 3], 1);
}

TEST_F(MouseDeviceTest, AProfileWithEveryStageOffKeepsTheActiveStageOn) {
    Connect();
    std::vector<data::DpiStage> stages = device->GetStages();
    ASSERT_EQ(stages.size(), 5u);
    for (data::DpiStage& stage : stages)
        stage.stageActive = 0;
    device->ProfileData().SetDpiStages(stages);
    device->SaveProfile();
    device->LoadProfile();
    const std::vector<data::DpiStage> loaded = device->GetStages();
    EXPECT_EQ(loaded[1].stageActive, 1);
    EXPECT_EQ(loaded[0].stageActive + loaded[2].stageActive + loaded[3].stageActive +
                  loaded[4].stageActive,
              0);
}

TEST_F(MouseDeviceTest, SelectingAStageMakesItTheActiveOneOnTheMouse) {
    Connect();
    QWidget* select = Control("DPI_select_check_3");
    CControlUI(select).Selected(true, false);
    EXPECT_EQ(Notify(DuiEvent::SelectChanged, select), 1);
    EXPECT_EQ(device->ActiveStage(), 3);
    EXPECT_FALSE(CControlUI(Control("DPI_select_check_1")).IsSelected());
    EXPECT_FALSE(Control("DPI_enable_check_3")->isEnabled());
    EXPECT_EQ(mouse->Record(0)[12], 3);
}

TEST_F(MouseDeviceTest, PollingAndPointerSettingsGoToTheirHalvesOfTheSettings) {
    Connect();
    QWidget* polling = Control("polling_rate_option_4");
    CControlUI(polling).Selected(true, false);
    Notify(DuiEvent::SelectChanged, polling);
    EXPECT_EQ(mouse->Record(0)[11], 4);
    mouse->ClearPacketLog();
    struct Case {
        const char* name;
        const char* type;
        int value;
        int word;
        bool high;
    };
    for (const Case& c : {Case{"pointer_speed_slider", DuiEvent::ValueChanged, 17, 0, true},
                          Case{"double_click_slider", DuiEvent::ValueChanged, 420, 0, false},
                          Case{"pointer_precision_check", DuiEvent::SelectChanged, 0, 1, false},
                          Case{"scrolls_page_check", DuiEvent::SelectChanged, 1, 1, true},
                          Case{"scroll_speed_slider", DuiEvent::ValueChanged, 9, 2, false}}) {
        SCOPED_TRACE(c.name);
        QWidget* control = Control(c.name);
        if (QString::fromLatin1(c.type) == DuiEvent::SelectChanged)
            CControlUI(control).Selected(c.value != 0, false);
        else
            CControlUI(control).SetValue(c.value);
        EXPECT_EQ(Notify(c.type, control), 1);
        const std::uint32_t word = device->GetMouseSettings()[static_cast<std::size_t>(c.word)];
        EXPECT_EQ(c.high ? data::HighHalf(word) : data::LowHalf(word), c.value);
    }
    EXPECT_TRUE(Commands().empty()) << "pointer settings stay in the profile";
    EXPECT_EQ(data::HighHalf(device->GetMouseSettings()[2]), 4) << "the polling option kept";
    device->LoadProfile();
    EXPECT_EQ(device->GetMouseSettings()[0], data::PackHalves(420, 17));
}

TEST_F(MouseDeviceTest, TheRoutesActOnlyWhenTheCurrentDeviceIsAMouse) {
    Connect();
    auto* slider = qobject_cast<QAbstractSlider*>(Control("DPI_slider_0"));
    CControlUI(slider).SetValue(200);
    QWidget other;
    EXPECT_EQ(Notify(DuiEvent::ValueChanged, slider, &other, 1), 0);
    QWidget* option = Control("mouse_device_seting_option_2");
    CControlUI(option).Selected(true, false);
    EXPECT_EQ(Notify(DuiEvent::SelectChanged, option, &other, 1), 0);
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(Notify(DuiEvent::SelectChanged, option), 1);
    EXPECT_EQ(qobject_cast<QStackedWidget*>(Control("mouse_device_seting_layout"))->currentIndex(),
              2);
    EXPECT_FALSE(CControlUI(Control("mouse_device_seting_option_0")).IsSelected());
}

TEST_F(MouseDeviceTest, TheDpiCalculatorClampsTo200To6500) {
    Connect();
    QWidget* edit = Control("zemra_DPI_edit_0");
    auto* slider = qobject_cast<QAbstractSlider*>(Control("zemra_DPI_slider_0"));
    struct Case {
        const char* typed;
        int dpi;
    };
    for (const Case& c : {Case{"100", 200}, Case{"199", 200}, Case{"200", 200}, Case{"6500", 6500},
                          Case{"6501", 6500}, Case{"7000", 6500}, Case{"", 200}}) {
        SCOPED_TRACE(c.typed);
        CControlUI(edit).SetText(QString::fromLatin1(c.typed));
        EXPECT_EQ(Notify(DuiEvent::KillFocus, edit, nullptr, 0), 1);
        EXPECT_EQ(CControlUI(edit).GetText(), QString::number(c.dpi));
        EXPECT_EQ(slider->value(), c.dpi);
    }
    CControlUI(slider).SetValue(3150);
    Notify(DuiEvent::MoveValueChanged, slider, nullptr, 0);
    EXPECT_EQ(CControlUI(edit).GetText(), "3150");
    EXPECT_TRUE(Commands().empty());
}

TEST_F(MouseDeviceTest, HostileSensorFieldsShowTheStoredStagesAndRefuseDpiWrites) {
    struct Case {
        const char* name;
        std::uint8_t step;
        std::uint16_t max;
        std::uint16_t sensor;
        bool usable;
    };
    for (const Case& c :
         {Case{"step 0", 0, 519, 3395, false}, Case{"maximum 0", 50, 0, 3395, false},
          Case{"sensor 65535", 50, 519, 65535, true}}) {
        SCOPED_TRACE(c.name);
        messages.clear();
        mouse->SetSensor(c.sensor, c.step, c.max, 50);
        Connect();
        EXPECT_EQ(device->IsDpiScaleUsable(), c.usable);
        const int stored = device->GetStages()[2].stageDpiX;
        auto* slider = qobject_cast<QAbstractSlider*>(Control("DPI_slider_2"));
        CControlUI(slider).SetValue(40);
        Notify(DuiEvent::ValueChanged, slider);
        QWidget* edit = Control("DPI_edit_0");
        CControlUI(edit).SetText("1200");
        Notify(DuiEvent::KillFocus, edit);
        if (c.usable) {
            EXPECT_TRUE(messages.isEmpty());
            EXPECT_EQ(StageDpiX(mouse->Record(0), 2), 40);
            EXPECT_EQ(StageDpiX(mouse->Record(0), 0), 23) << "(1200 - 50) / 50";
        } else {
            EXPECT_EQ(messages, QStringList({"ms_dpi_unusable", "ms_dpi_unusable"}));
            EXPECT_TRUE(mouse->AcceptedPackets(0x06).empty());
            EXPECT_EQ(device->GetStages()[2].stageDpiX, stored);
        }
    }
}

TEST_F(MouseDeviceTest, AReceiverWithoutItsMouseMakesWritesFailAndSendsNoCommand) {
    Connect(SimLink::Receiver);
    mouse->SetWirelessLink(false);
    mouse->ClearPacketLog();
    EXPECT_EQ(device->WriteOnboardProfile(0, 0, 1, kScreenWidth, kScreenHeight), 0);
    EXPECT_EQ(device->DownloadCurrentKeyAssignments(0), 0);
    EXPECT_LT(device->DownloadMacros({0}), 0);
    for (const sim::SimPacketRecord& r : mouse->AcceptedPackets())
        EXPECT_EQ(r.bytes[3], 0xAA) << "only link queries";
    mouse->SetWirelessLink(true);
    EXPECT_EQ(device->WriteOnboardProfile(0, 0, 1, kScreenWidth, kScreenHeight), 1);
    EXPECT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
}

TEST_F(MouseDeviceTest, TheKeyTableGetsEachButtonsAssignmentAtItsPosition) {
    Connect();
    std::vector<data::KeyEntry> keys = device->GetKeyList();
    keys[3].current.assignment = {0x20, 0x00, 0x1E}; // forward: the A key
    keys[4].current.assignment = {0x20, 0x00, 0x1F}; // back: the B key
    device->SetKeyList(keys);
    EXPECT_EQ(device->DownloadCurrentKeyAssignments(0), 1);
    const std::vector<std::uint8_t> table = mouse->Region(sim::SimRegion::KeyTable);
    const std::size_t forward = CSimMouse::FactoryPosition(3) * 3;
    const std::size_t back = CSimMouse::FactoryPosition(4) * 3;
    EXPECT_EQ(table[forward + 2], 0x1E);
    EXPECT_EQ(table[back + 2], 0x1F);
    EXPECT_EQ(table[CSimMouse::FactoryPosition(0) * 3 + 1], 0x01) << "left unchanged";
}

TEST_F(MouseDeviceTest, SyncReportsFollowTheMouse) {
    Connect();
    device->SetLightInfo(6, 0x0A141E01, 0, 0); // mode 6, multi-colour, colour 0A 14 1E
    device->Connection().OpenNotification(devices::kModelMouseReceiver,
                                          bus->NotificationPath(*mouse, SimLink::Receiver));
    device->Connection().OpenNotification(devices::kModelMouse,
                                          bus->NotificationPath(*mouse, SimLink::Cable));
    // 1027 through the receiver changes nothing; over the cable every LED flashes
    mouse->UnplugCable();
    mouse->SendNotification(1027);
    ASSERT_TRUE(WaitUntil([&] { return device->LastSyncCode() == 1027; }));
    EXPECT_EQ(device->LightEngine().HoldState(5), 0);
    mouse->PlugCable();
    device->Connection().OpenNotification(devices::kModelMouse,
                                          bus->NotificationPath(*mouse, SimLink::Cable));
    mouse->UnplugReceiver();
    mouse->SendNotification(1027);
    ASSERT_TRUE(WaitUntil([&] { return device->LightEngine().HoldState(5) != 0; }));
    // 0x1123: slot 3 with DPI stage 2 picked on the mouse
    mouse->SendNotification(0x1123);
    ASSERT_TRUE(WaitUntil([&] { return device->OnboardIndex() == 3; }));
    EXPECT_EQ(device->ActiveStage(), 2);
    EXPECT_TRUE(CControlUI(Control("DPI_select_check_2")).IsSelected());
}

TEST_F(MouseDeviceTest, TheRecordReadAtASyncTakesLightingAndStageAndRefusesAWildStage) {
    Connect();
    mouse->PokeByte(sim::SimRegion::Param, 0, 2);
    mouse->SetRecordByte(2, 1, 9); // ring
    mouse->SetRecordByte(2, 2, 3);
    mouse->SetRecordByte(2, 3, 1); // speed 3
    mouse->SetRecordByte(2, 6, 0x21);
    mouse->SetRecordByte(2, 7, 0x43);
    mouse->SetRecordByte(2, 8, 0x65);
    mouse->SetRecordByte(2, 12, 4);
    device->OnDeviceSync();
    EXPECT_EQ(device->OnboardIndex(), 2);
    const data::LightInfo light = device->GetLightInfo();
    EXPECT_EQ(light.selectItem, 9);
    EXPECT_EQ(light.light, 3);
    EXPECT_EQ(light.speed, 3);
    EXPECT_EQ(light.red, 0x21);
    EXPECT_EQ(light.green, 0x43);
    EXPECT_EQ(light.blue, 0x65);
    EXPECT_EQ(device->ActiveStage(), 4);
    mouse->SetRecordByte(2, 12, 9);
    device->OnDeviceSync();
    EXPECT_EQ(device->ActiveStage(), 4) << "a stage beyond the five is not taken";
}

TEST_F(MouseDeviceTest, ALightingModeAboveElevenIsWrittenAsZero) {
    Connect();
    device->SetLightInfo(13, 0x00FF8001, 0, 0);
    EXPECT_EQ(device->WriteOnboardProfile(0, 0, 1, kScreenWidth, kScreenHeight), 1);
    EXPECT_EQ(mouse->Record(0)[1], 0);
    device->SetLightInfo(0x0004030B, 0x00FF8001, 0, 0);
    device->WriteOnboardProfile(0, 0, 1, kScreenWidth, kScreenHeight);
    EXPECT_EQ(mouse->Record(0)[1], 11);
    EXPECT_EQ(mouse->Record(0)[2], 3);
    EXPECT_EQ(mouse->Record(0)[3], 0) << "4 - speed 4";
}

TEST_F(MouseDeviceTest, TheLightThreadAnimatesTheLedButtonsOfTheShownPage) {
    Connect();
    device->show();
    QWidget* led = device->LedButton(3);
    ASSERT_NE(led, nullptr);
    EXPECT_EQ(device->PreviewControl(), Control("mouse_device_key_light"));
    // the default profile's wave: group 3 (LEDs 3 and 10) takes its colours off the wheel
    ASSERT_TRUE(WaitUntil([&] {
        device->SendLightFrame(); // what the device entry's frame timer does
        const auto word = led->property("ledColor").toUInt();
        return word != 0 && word != 0xFFFFFFu;
    }));
    const auto first = led->property("ledColor").toUInt();
    EXPECT_TRUE(WaitUntil([&] {
        device->SendLightFrame();
        return led->property("ledColor").toUInt() != first;
    })) << "and moves on";
}

TEST(SimulatedMice, PlugInOnTheLinkTheirKindNames) {
    sim::CSimulatedDevices devices({"keypad", "mouse-receiver", "mouse"});
    EXPECT_TRUE(devices.UnknownKinds().empty());
    ASSERT_EQ(devices.Devices().size(), 3u);
    auto keypad = std::dynamic_pointer_cast<sim::CSimKeypad>(devices.Devices()[0]);
    auto onReceiver = std::dynamic_pointer_cast<CSimMouse>(devices.Devices()[1]);
    auto onCable = std::dynamic_pointer_cast<CSimMouse>(devices.Devices()[2]);
    ASSERT_TRUE(keypad && onReceiver && onCable);
    EXPECT_TRUE(keypad->IsPlugged(SimLink::Cable));
    EXPECT_TRUE(onReceiver->IsPlugged(SimLink::Receiver));
    EXPECT_FALSE(onReceiver->IsPlugged(SimLink::Cable));
    EXPECT_TRUE(onCable->IsPlugged(SimLink::Cable));
}

} // namespace
} // namespace vpc::test
