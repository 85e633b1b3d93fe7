// The lighting panel driven through its widgets on the keypad's page, as a user would, with the
// notifications routed by the route table to the keyboard device object bound to the simulated
// keypad; each change is checked in the keypad's onboard record and colour banks and in the
// profile file on disk.
#include "LightingTestSupport.h"

#include "ColorPaletteUI.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSlider>

namespace vpc::panels::test {
namespace {

// Onboard record bytes.
constexpr int kMode = 1, kBrightness = 2, kSpeedInverse = 3, kMulti = 5, kRed = 6;

void LeaveBox(QLineEdit* edit) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit, &out);
}

class LightingPanel : public LightingPanelTest {
protected:
    void ChooseMode(int mode) {
        auto* combo = Part<QComboBox>("light_combo_modeSelect");
        ASSERT_NE(combo, nullptr);
        combo->setCurrentIndex(mode); // what a choice in the list's popup does
        Settle();
    }
    void Click(const char* name) {
        auto* button = Part<QAbstractButton>(name);
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isVisible() && button->isEnabled()) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    std::array<int, 3> RecordColour() const {
        const auto r = DeviceRecord();
        return {r[kRed], r[kRed + 1], r[kRed + 2]};
    }
    static std::array<int, 3> Components(std::uint32_t argb) {
        return {int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF)};
    }
};

TEST_F(LightingPanel, ConnectingShowsTheKeypadsModeAndWritesNothing) {
    keypad->PokeByte(sim::SimRegion::Param, 1, 6); // slot 0's lighting mode
    Connect();
    EXPECT_EQ(Panel()->GetMode(), 6);
    EXPECT_EQ(Part<QComboBox>("light_combo_modeSelect")->currentIndex(), 6);
    EXPECT_EQ(RecordWrites(), 0) << "filling the mode list must not write mode 1";
    EXPECT_EQ(DeviceRecord()[kMode], 6);
    EXPECT_EQ(ProfileLight()["SelectItem"].asInt(), 6);
}

TEST_F(LightingPanel, ChosenModeReachesTheKeypadAndTheProfileAndSetsTheLayout) {
    Connect();
    const struct {
        int mode;
        bool speedShown;
        bool customShown;
        bool presetSetShown;
        bool paletteEnabled;
    } cases[] = {{6, true, false, false, true},
                 {19, false, true, false, true},
                 {17, false, false, true, false},
                 {4, true, false, false, false},
                 {1, true, false, false, true}};
    for (const auto& c : cases) {
        Keyboard()->SetSynchronised(true);
        ChooseMode(c.mode);
        EXPECT_EQ(DeviceRecord()[kMode], c.mode);
        EXPECT_EQ(ProfileLight()["SelectItem"].asInt(), c.mode);
        EXPECT_FALSE(Keyboard()->IsSynchronised()) << c.mode;
        EXPECT_EQ(Part("deng_speed_layout")->isVisible(), c.speedShown) << c.mode;
        EXPECT_EQ(Part("lightcustom_layout")->isVisible(), c.customShown) << c.mode;
        EXPECT_EQ(Part("light_combo_ZZCCmodeSelectLayout")->isVisible(), c.presetSetShown)
            << c.mode;
        EXPECT_EQ(Part("colorpallet_layout")->isEnabled(), c.paletteEnabled) << c.mode;
        EXPECT_EQ(Part("deng_speed_layout")->isEnabled(),
                  c.mode == 1 || c.mode == 4 || c.mode == 17)
            << c.mode;
    }
}

// When the device applies a profile the panel shows its whole record, also values equal to
// the ones it was handed before the user changed the panel, and the preset colour set.
TEST_F(LightingPanel, AnAppliedProfileIsShownWhateverThePanelShowedBefore) {
    Connect();
    const auto apply = [this](int mode, int brightness, int zzcc, int red, int green, int blue) {
        data::LightInfo info = Keyboard()->GetLightInfo();
        info.selectItem = static_cast<std::uint8_t>(mode);
        info.light = static_cast<std::uint8_t>(brightness);
        info.zzccLedMode = static_cast<std::uint8_t>(zzcc);
        info.red = static_cast<std::uint8_t>(red);
        info.green = static_cast<std::uint8_t>(green);
        info.blue = static_cast<std::uint8_t>(blue);
        info.multiColor = 0;
        Keyboard()->ProfileData().SetLightInfo(info);
        Keyboard()->SaveProfile();
        Keyboard()->LoadProfile(); // as a profile switch or a reset does
    };
    apply(6, 3, 0, 201, 37, 118);
    Keyboard()->RefreshPanel();
    EXPECT_EQ(Panel()->GetMode(), 6);
    ChooseMode(4); // the user's own choice on the panel
    ASSERT_EQ(Panel()->GetMode(), 4);
    // a profile with the values of the last refresh: the panel follows the device again
    apply(6, 3, 0, 201, 37, 118);
    EXPECT_EQ(Panel()->GetMode(), 6);
    EXPECT_EQ(Panel()->GetBrightness(), 3);
    EXPECT_EQ(Components(Panel()->GetPaletteColor()), (std::array<int, 3>{201, 37, 118}));
    // the preset colour mode shows its set
    apply(17, 2, 2, 12, 164, 77);
    EXPECT_EQ(Panel()->GetMode(), 17);
    EXPECT_EQ(Panel()->GetZZCCMode(), 2);
    EXPECT_EQ(Panel()->GetBrightness(), 2);
}

TEST_F(LightingPanel, BrightnessAndSpeedSlidersMoveTheKeypad) {
    Connect();
    ChooseMode(6);
    auto* brightness = Part<QSlider>("deng_light_slider");
    ASSERT_NE(brightness, nullptr);
    QTest::keyClick(brightness, Qt::Key_Home);
    Settle();
    EXPECT_EQ(DeviceRecord()[kBrightness], 0);
    EXPECT_EQ(ProfileLight()["Light"].asInt(), 0);
    QTest::keyClick(brightness, Qt::Key_End);
    Settle();
    EXPECT_EQ(brightness->value(), 4);
    EXPECT_EQ(DeviceRecord()[kBrightness], 4);
    EXPECT_EQ(ProfileLight()["Light"].asInt(), 4);

    ChooseMode(1); // a mode with a speed
    auto* speed = Part<QSlider>("deng_speed_slider");
    QTest::keyClick(speed, Qt::Key_Home);
    Settle();
    QTest::keyClick(speed, Qt::Key_Right);
    Settle();
    EXPECT_EQ(ProfileLight()["Speed"].asInt(), 1);
    EXPECT_EQ(DeviceRecord()[kSpeedInverse], 4 - 1);
}

TEST_F(LightingPanel, SliderBurstIsCoalescedAndEndsExact) {
    Connect();
    ChooseMode(6);
    auto* brightness = Part<QSlider>("deng_light_slider");
    QTest::keyClick(brightness, Qt::Key_Home);
    Settle();
    keypad->ClearPacketLog();
    QTest::keyClick(brightness, Qt::Key_Right);
    Settle();
    const int perRecord = RecordWrites();
    ASSERT_GT(perRecord, 0);

    keypad->ClearPacketLog();
    const Qt::Key steps[] = {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left,  Qt::Key_Right,
                             Qt::Key_Right, Qt::Key_Left,  Qt::Key_Right, Qt::Key_Left,
                             Qt::Key_Right, Qt::Key_Left,  Qt::Key_Left};
    for (const Qt::Key key : steps)
        QTest::keyClick(brightness, key);
    Settle();
    // one write at once and one gathered write at the end of the window, not one per step
    EXPECT_EQ(RecordWrites(), 2 * perRecord);
    EXPECT_EQ(brightness->value(), 2);
    EXPECT_EQ(DeviceRecord()[kBrightness], 2);
    EXPECT_EQ(ProfileLight()["Light"].asInt(), 2);
}

TEST_F(LightingPanel, ColourBoxesAreHeldToTheByteAndTurnMultiColourOff) {
    Connect();
    ChooseMode(6);
    const struct {
        const char* box;
        const char* typed;
        int component;
        int stored;
        const char* shown;
    } cases[] = {{"deng_edit_R", "77", 0, 77, "77"},
                 {"deng_edit_G", "300", 1, 255, "255"},
                 {"deng_edit_B", "", 2, 0, "0"},
                 {"deng_edit_R", "-5", 0, 0, "0"},
                 {"deng_edit_B", "12abc", 2, 12, "12"}};
    const char* members[] = {"Red", "Green", "Blue"};
    for (const auto& c : cases) {
        auto* multi = Part<QAbstractButton>("deng_7color_check");
        if (!multi->isChecked())
            Click("deng_7color_check");
        Settle();
        ASSERT_EQ(DeviceRecord()[kMulti], 1);
        auto* edit = Part<QLineEdit>(c.box);
        ASSERT_NE(edit, nullptr);
        edit->clear();
        QTest::keyClicks(edit, QString::fromLatin1(c.typed));
        LeaveBox(edit);
        Settle();
        EXPECT_EQ(edit->text(), QString::fromLatin1(c.shown)) << c.box << " " << c.typed;
        EXPECT_EQ(DeviceRecord()[kRed + c.component], c.stored) << c.typed;
        EXPECT_EQ(ProfileLight()[members[c.component]].asInt(), c.stored) << c.typed;
        EXPECT_EQ(DeviceRecord()[kMulti], 0);
        EXPECT_EQ(ProfileLight()["MultiColor"].asInt(), 0);
        EXPECT_FALSE(multi->isChecked());
    }
}

TEST_F(LightingPanel, PaletteAndPresetColoursReachTheKeypad) {
    Connect();
    ChooseMode(6);
    auto* palette = Part<CColorPaletteUI>("deng_Color_Pallet");
    ASSERT_NE(palette, nullptr);
    const QPoint point(palette->width() / 3, palette->height() / 2);
    const std::uint32_t picked = palette->ColorAt(point);
    Keyboard()->SetSynchronised(true);
    QTest::mouseClick(palette, Qt::LeftButton, {}, point);
    Settle();
    EXPECT_EQ(RecordColour(), Components(picked));
    EXPECT_EQ(ProfileLight()["Green"].asInt(), Components(picked)[1]);
    EXPECT_EQ(Part<QLineEdit>("deng_edit_G")->text(), QString::number(Components(picked)[1]));
    EXPECT_FALSE(Keyboard()->IsSynchronised()) << "a palette colour ends synchronised lighting";

    Keyboard()->SetSynchronised(true);
    Click("color_option_5");
    Settle();
    const std::uint32_t preset = Panel()->GetPresetColor(5);
    ASSERT_NE(preset, 0u);
    EXPECT_EQ(RecordColour(), Components(preset));
    EXPECT_EQ(ProfileLight()["Blue"].asInt(), Components(preset)[2]);
    EXPECT_EQ(palette->GetSelectColor(), preset);
    EXPECT_TRUE(Keyboard()->IsSynchronised()) << "a preset keeps synchronised lighting";
}

TEST_F(LightingPanel, PaletteDragIsCoalescedAndEndsOnTheLastColour) {
    Connect();
    ChooseMode(6);
    auto* palette = Part<CColorPaletteUI>("deng_Color_Pallet");
    keypad->ClearPacketLog();
    QTest::mouseClick(palette, Qt::LeftButton, {}, QPoint(5, 40));
    Settle();
    const int perRecord = RecordWrites();
    ASSERT_GT(perRecord, 0);

    keypad->ClearPacketLog();
    QPoint point(10, palette->height() / 2);
    QTest::mousePress(palette, Qt::LeftButton, {}, point);
    for (int i = 0; i < 30; ++i) {
        point += QPoint(palette->width() / 40, (i % 2) ? 1 : -1);
        QTest::mouseMove(palette, point);
    }
    QTest::mouseRelease(palette, Qt::LeftButton, {}, point);
    Settle();
    EXPECT_EQ(RecordWrites(), 2 * perRecord);
    EXPECT_EQ(RecordColour(), Components(palette->ColorAt(point)));
    EXPECT_EQ(ProfileLight()["Red"].asInt(), Components(palette->ColorAt(point))[0]);
}

TEST_F(LightingPanel, RubberBandSelectedKeysTakeTheColourInCustomMode) {
    Connect();
    ChooseMode(19);
    Click("custom_off_color_btn"); // every light of the group black
    Settle();
    Click("color_option_0");
    Settle();
    const auto red = Components(Panel()->GetPresetColor(0));

    QWidget* area = Keyboard()->PreviewControl();
    ASSERT_NE(area, nullptr);
    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(70, 4));
    QTest::mouseMove(area, QPoint(110, 20));
    QTest::mouseMove(area, QPoint(150, 30));
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(150, 30));
    Settle();

    const int keyCount = KeypadMemory(*keypad).KeyCount();
    const auto countColour = [&](const std::array<int, 3>& colour) {
        const std::vector<std::uint8_t> bank = KeypadMemory(*keypad).ColourBank(
            Keyboard()->GetLightInfo().customGroup, 384, static_cast<std::size_t>(keyCount) * 3);
        int matching = 0, lit = 0;
        for (std::size_t i = 0; i + 2 < bank.size(); i += 3) {
            if (bank[i] || bank[i + 1] || bank[i + 2])
                ++lit;
            if (bank[i] == colour[0] && bank[i + 1] == colour[1] && bank[i + 2] == colour[2])
                ++matching;
        }
        return std::pair{matching, lit};
    };
    EXPECT_EQ(countColour(red), (std::pair{2, 2})) << "key_0 and key_110, nothing else";

    const int group = Keyboard()->SelectedCustomGroup();
    ASSERT_GE(group, 0);
    const auto lights = [&] {
        return data::ReadJsonFile(
            Keyboard()->ProfileData().GetProfilePath())["Device"][0]["CustomLightMode"]
                                                       ["LightColorInfo"][group];
    };
    EXPECT_EQ(lights()[0]["Red"].asInt(), red[0]);
    EXPECT_EQ(lights()[110]["Red"].asInt(), red[0]);
    EXPECT_EQ(lights()[34]["Red"].asInt(), 0);

    // the selection stays: another colour recolours the same keys
    Click("color_option_5");
    Settle();
    const auto blue = Components(Panel()->GetPresetColor(5));
    EXPECT_EQ(countColour(blue), (std::pair{2, 2}));
    EXPECT_EQ(lights()[110]["Blue"].asInt(), blue[2]);
}

TEST_F(LightingPanel, RubberBandOutsideCustomModeWritesNoColours) {
    Connect();
    ChooseMode(6);
    keypad->ClearPacketLog();
    QWidget* area = Keyboard()->PreviewControl();
    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseMove(area, QPoint(200, 200));
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(200, 200));
    Click("color_option_2");
    Settle();
    EXPECT_TRUE(
        keypad->AcceptedPackets(static_cast<std::uint8_t>(hid::DeviceCommand::WriteKeyColours))
            .empty());
    EXPECT_EQ(RecordColour(), Components(Panel()->GetPresetColor(2)));
}

TEST_F(LightingPanel, SynchronisedLightingIsOfferedForItsModesOnly) {
    Connect();
    ChooseMode(4);
    EXPECT_FALSE(Part("deng_same_mode")->isVisible());
    OfferSynchronisedLighting(window.get(), true);
    EXPECT_TRUE(Part("deng_same_mode")->isVisible());
    Click("deng_same_mode");
    EXPECT_EQ(synchronised, 1);
    ChooseMode(1);
    EXPECT_FALSE(Part("deng_same_mode")->isVisible());
}

TEST_F(LightingPanel, ThroughTheReceiverTheStreamingModesAreNotOffered) {
    Connect(true);
    EXPECT_FALSE(Panel()->IsModeItemVisible(21));
    EXPECT_FALSE(Panel()->IsModeItemVisible(31));
    EXPECT_TRUE(Panel()->IsModeItemVisible(19));
    EXPECT_EQ(RecordWrites(), 0);
}

TEST_F(LightingPanel, RefillingTheModeListKeepsTheChosenMode) {
    Connect();
    ChooseMode(19);
    const int writes = RecordWrites();
    Keyboard()->RefreshLightModeList(true); // as after a link change
    EXPECT_EQ(Panel()->GetMode(), 19);
    EXPECT_TRUE(Part("lightcustom_layout")->isVisible());
    EXPECT_EQ(RecordWrites(), writes);
}

TEST_F(LightingPanel, ReceiverListOffersNoStreamingModes) {
    Connect();
    EXPECT_TRUE(Panel()->IsModeItemVisible(21)) << "on the cable music is offered";
    QStringList names;
    std::vector<bool> visible(32, true);
    for (int i = 0; i < 32; ++i)
        names << QStringLiteral("light_mode_static");
    Panel()->FillModeListNoStreaming(names, visible, 4, 4);
    EXPECT_FALSE(Panel()->IsModeItemVisible(21));
    EXPECT_FALSE(Panel()->IsModeItemVisible(31));
    EXPECT_TRUE(Panel()->IsModeItemVisible(1));
    Panel()->FillModeList(names, visible, 4, 4);
    EXPECT_TRUE(Panel()->IsModeItemVisible(21));
    EXPECT_EQ(RecordWrites(), 0);
}

TEST_F(LightingPanel, WithoutACurrentDeviceLightingNotificationsDoNothing) {
    // the keypad never connects: its page exists but its entry is hidden
    ASSERT_EQ(list->GetCurrentDevice(), nullptr);
    auto* combo = Keyboard() ? Part<QComboBox>("light_combo_modeSelect") : nullptr;
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(3);
    QTest::qWait(2 * CLightWriteThrottle::kWindowMs);
    EXPECT_EQ(RecordWrites(), 0);
    EXPECT_FALSE(std::filesystem::exists(Keyboard()->ProfileData().GetProfilePath()) &&
                 ProfileLight()["SelectItem"].asInt() == 3);
}

} // namespace
} // namespace vpc::panels::test
