// The music settings of the lighting panel on the keypad's page, driven through their widgets
// with the music routes: each change is checked in the profile file on disk and in what the
// panel shows.
#include "LightingTestSupport.h"

#include "MusicLighting.h"
#include "MusicRoutes.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

namespace vpc::panels::test {
namespace {

class MusicPanel : public LightingPanelTest {
protected:
    void SetUp() override {
        LightingPanelTest::SetUp();
        MusicRouteServices services;
        services.openMusicWindow = [this] { ++windowsOpened; };
        services.colorSlider = [this](int c, int v) { sliders.emplace_back(c, v); };
        RegisterMusicRoutes(dispatcher->Routes(), std::move(services));
    }
    Json::Value ProfileMusic() const {
        return data::ReadJsonFile(
            Keyboard()->ProfileData().GetProfilePath())["Device"][0]["AudioLightInfo"];
    }
    // Stores music settings in the profile and lets the device show them, as loading does.
    void GiveMusic(const data::AudioLightInfo& audio) {
        Keyboard()->ProfileData().SetAudioLightInfo(audio);
        Keyboard()->SaveProfile();
        Keyboard()->RefreshPanel();
    }
    void ChooseVariant(int variant) {
        auto* combo = Part<QComboBox>("light_combo_audiomodeSelect");
        ASSERT_NE(combo, nullptr);
        combo->setCurrentIndex(variant);
    }
    void Type(const char* box, const QString& text) {
        auto* edit = Part<QLineEdit>(box);
        ASSERT_NE(edit, nullptr) << box;
        edit->setText(text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit, &out);
    }
    std::array<int, 3> Foreground() const {
        const Json::Value m = ProfileMusic();
        return {m["FgColorR"].asInt(), m["FgColorG"].asInt(), m["FgColorB"].asInt()};
    }
    std::array<int, 3> Background() const {
        const Json::Value m = ProfileMusic();
        return {m["BkColorR"].asInt(), m["BkColorG"].asInt(), m["BkColorB"].asInt()};
    }
    static data::AudioLightInfo Distinct(bool editsForeground) {
        data::AudioLightInfo a;
        a.audioMode = 2;
        a.bkColorR = 11;
        a.bkColorG = 22;
        a.bkColorB = 33;
        a.fgColorR = 201;
        a.fgColorG = 102;
        a.fgColorB = 51;
        a.sevenColorFlags = 1;
        a.colorTypeFlags = editsForeground ? 1 : 0;
        return a;
    }
    int windowsOpened = 0;
    std::vector<std::pair<int, int>> sliders;
};

TEST_F(MusicPanel, TheDevicesMusicSettingsAreShown) {
    Connect();
    GiveMusic(Distinct(true));
    EXPECT_EQ(Part<QComboBox>("light_combo_audiomodeSelect")->currentIndex(), 2);
    EXPECT_TRUE(Part<QAbstractButton>("audio_FgColor_check")->isChecked());
    EXPECT_FALSE(Part<QAbstractButton>("audio_BkColor_check")->isChecked());
    EXPECT_TRUE(Part<QAbstractButton>("deng_7audiocolor_check")->isChecked());
    EXPECT_TRUE(Part<QAbstractButton>("deng_7audiocolor_check")->isEnabled());
    EXPECT_EQ(Panel()->GetMusicColorText(0), "201");
    EXPECT_EQ(Panel()->GetMusicColorText(1), "102");
    EXPECT_EQ(Panel()->GetMusicColorText(2), "51");
    EXPECT_EQ(CControlUI(Part("deng_audiocolordp_btn")).GetBkColor(), 0xFFC96633u);

    GiveMusic(Distinct(false)); // the background is edited: the seven colours are off
    EXPECT_TRUE(Part<QAbstractButton>("audio_BkColor_check")->isChecked());
    EXPECT_FALSE(Part<QAbstractButton>("deng_7audiocolor_check")->isEnabled());
    EXPECT_FALSE(Part<QAbstractButton>("deng_7audiocolor_check")->isChecked());
    EXPECT_EQ(Panel()->GetMusicColorText(0), "11");
    EXPECT_EQ(CControlUI(Part("deng_audioColor_Pallet")).GetSelectColor(), 0xFF0B1621u);
}

TEST_F(MusicPanel, VariantThreeDisablesBothColourGroups) {
    Connect();
    GiveMusic(Distinct(true));
    const struct {
        int variant;
        bool colours;
    } cases[] = {{3, false}, {4, true}, {3, false}, {0, true}, {6, true}};
    for (const auto& c : cases) {
        ChooseVariant(c.variant);
        EXPECT_EQ(ProfileMusic()["AudioMode"].asInt(), c.variant);
        EXPECT_EQ(Part("light_audiocolor_layout")->isEnabled(), c.colours) << c.variant;
        EXPECT_EQ(Part("audiocolorpallet_layout")->isEnabled(), c.colours) << c.variant;
    }
    EXPECT_EQ(Foreground(), (std::array<int, 3>{201, 102, 51})) << "the colours stay";
    EXPECT_EQ(Background(), (std::array<int, 3>{11, 22, 33}));
}

TEST_F(MusicPanel, AVariantChangeClearsOnlyTheGroupWordOfTheLightingRecord) {
    Connect();
    data::LightInfo info = Keyboard()->GetLightInfo();
    info.selectItem = 21;
    info.light = 3;
    info.red = 250;
    info.zzccLedMode = 2;
    info.customGroup = 3;
    info.oldLedmode = 7;
    Keyboard()->ProfileData().SetLightInfo(info);
    Keyboard()->SaveProfile();
    Keyboard()->LoadProfile();
    GiveMusic(Distinct(true));
    ChooseVariant(5);
    const Json::Value light =
        data::ReadJsonFile(Keyboard()->ProfileData().GetProfilePath())["Device"][0]["LightInfo"];
    EXPECT_EQ(light["CustomGroup"].asInt(), 0);
    EXPECT_EQ(light["OldLedmode"].asInt(), 0);
    EXPECT_EQ(light["ZZCCLedMode"].asInt(), 2) << "byte 11 is before the group word";
    EXPECT_EQ(light["SelectItem"].asInt(), 21);
    EXPECT_EQ(light["Light"].asInt(), 3);
    EXPECT_EQ(light["Red"].asInt(), 250);
}

TEST_F(MusicPanel, ColourBoxesHoldTheirNumberAndEditTheCheckedColour) {
    Connect();
    GiveMusic(Distinct(true));
    const struct {
        const char* box;
        const char* typed;
        std::array<int, 3> foreground;
    } cases[] = {{"deng_audioedit_R", "300", {255, 102, 51}},
                 {"deng_audioedit_G", "", {255, 0, 51}},
                 {"deng_audioedit_B", "254", {255, 0, 254}},
                 {"deng_audioedit_R", "0", {0, 0, 254}}};
    for (const auto& c : cases) {
        Type(c.box, QString::fromLatin1(c.typed));
        EXPECT_EQ(Foreground(), c.foreground) << c.box << " " << c.typed;
        EXPECT_EQ(ProfileMusic()["7ColorFlags"].asInt(), 0) << "a colour of its own";
    }
    EXPECT_EQ(Background(), (std::array<int, 3>{11, 22, 33}));

    Part<QAbstractButton>("audio_BkColor_check")->click();
    EXPECT_EQ(ProfileMusic()["ColorTypeFlags"].asInt(), 0);
    Type("deng_audioedit_G", "77");
    EXPECT_EQ(Background(), (std::array<int, 3>{11, 77, 33}));
    EXPECT_EQ(Foreground(), (std::array<int, 3>{0, 0, 254}));
}

TEST_F(MusicPanel, PresetColoursAndBackgroundOff) {
    Connect();
    GiveMusic(Distinct(true));
    QTest::mouseClick(Part<QAbstractButton>("audiocolor_option_2"), Qt::LeftButton); // #FF7F00
    EXPECT_EQ(Foreground(), (std::array<int, 3>{255, 127, 0}));
    EXPECT_EQ(ProfileMusic()["7ColorFlags"].asInt(), 0);
    QTest::mouseClick(Part<QAbstractButton>("Close_bkColor_btn"), Qt::LeftButton);
    EXPECT_EQ(Background(), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(Foreground(), (std::array<int, 3>{255, 127, 0}));

    QTest::mouseClick(Part<QAbstractButton>("music_setting_btn"), Qt::LeftButton);
    EXPECT_EQ(windowsOpened, 1);
}

TEST_F(MusicPanel, ColourSlidersGoToTheCompanionAndShowTheirValue) {
    Connect();
    auto* modes = Part<QComboBox>("light_combo_modeSelect");
    ASSERT_NE(modes, nullptr);
    modes->setCurrentIndex(21); // the music page is shown
    auto* red = Part<QSlider>("R_light_slider");
    auto* blue = Part<QSlider>("B_light_slider");
    ASSERT_NE(red, nullptr);
    ASSERT_NE(blue, nullptr);
    ASSERT_TRUE(red->isVisible());
    QTest::keyClick(red, Qt::Key_Home);
    QTest::keyClick(blue, Qt::Key_PageDown);
    ASSERT_EQ(sliders.size(), 2u);
    EXPECT_EQ(sliders[0], (std::pair<int, int>{0, 0}));
    EXPECT_EQ(sliders[1], (std::pair<int, int>{2, blue->value()}));
    EXPECT_LT(blue->value(), 255);
    EXPECT_EQ(Part<QLabel>("R_light_label")->text(), QStringLiteral("R 0"));
    EXPECT_EQ(Part<QLabel>("B_light_label")->text(), QStringLiteral("B %1").arg(blue->value()));
    EXPECT_EQ(Part<QLabel>("G_light_label")->text(), QStringLiteral("G 255"));
}

// The colour weights act on the screen's colours, so they are at hand in the screen colour
// mode as in the music mode, and not in the other modes.
TEST_F(MusicPanel, ColourSlidersAreShownInTheStreamedModesOnly) {
    Connect();
    auto* modes = Part<QComboBox>("light_combo_modeSelect");
    ASSERT_NE(modes, nullptr);
    auto* green = Part<QSlider>("G_light_slider");
    ASSERT_NE(green, nullptr);
    for (const int mode : {31, 6, 21, 4}) {
        modes->setCurrentIndex(mode);
        EXPECT_EQ(green->isVisible(), mode == 21 || mode == 31) << "mode " << mode;
    }
    modes->setCurrentIndex(31);
    QTest::keyClick(green, Qt::Key_Home);
    ASSERT_EQ(sliders.size(), 1u);
    EXPECT_EQ(sliders[0], (std::pair<int, int>{1, 0}));
    EXPECT_EQ(Part<QLabel>("G_light_label")->text(), QStringLiteral("G 0"));
}

// Level frames through music lighting reach the keypad's lighting engine: silence (identical
// frames) leaves the keys at the background colour, music lights them in the bar colour.
TEST_F(MusicPanel, LevelFramesLightTheKeysInMusicMode) {
    Connect();
    data::LightInfo info = Keyboard()->GetLightInfo();
    info.selectItem = 21;
    info.light = 4;
    Keyboard()->ProfileData().SetLightInfo(info);
    data::AudioLightInfo audio;
    audio.audioMode = 0; // columns
    audio.fgColorR = 201;
    audio.fgColorG = 102;
    audio.fgColorB = 51;
    audio.colorTypeFlags = 1; // background 0, 0, 0
    Keyboard()->ProfileData().SetAudioLightInfo(audio);
    Keyboard()->SaveProfile();
    Keyboard()->LoadProfile();
    Keyboard()->ApplyLightSettings();

    QTemporaryDir user;
    CMusicLighting::Services services;
    services.connectedDevices = [this](int type) {
        std::vector<devices::CCorvaneUSBDevice*> devices;
        if (type == 1)
            devices.push_back(Keyboard());
        return devices;
    };
    CMusicLighting music(std::move(services), "/nonexistent/vorna-audio-capture",
                         user.path().toStdString(), VPC_TEST_DEFAULT_DATA_DIR,
                         user.path().toStdString());
    const auto frame = [](std::int32_t value) {
        std::vector<std::uint8_t> bytes(125 * 4);
        for (std::size_t i = 0; i < 125; ++i)
            std::memcpy(bytes.data() + i * 4, &value, 4);
        return bytes;
    };
    const auto anyLit = [this] {
        for (int i = 0; i < Keyboard()->LedCapacity(); ++i) {
            const lighting::LedColor c = Keyboard()->GetLedColor(i);
            if (c.red || c.green || c.blue)
                return true;
        }
        return false;
    };
    for (int i = 0; i < 30; ++i) { // silence: the same frame again and again
        music.OnLevelFrame(frame(0));
        QTest::qWait(15);
    }
    EXPECT_FALSE(anyLit()) << "silence leaves every key at the background colour";
    int n = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            music.OnLevelFrame(frame(++n % 2 ? 1800 : 0)); // every value moves by 1800
            return anyLit();
        },
        5000))
        << "music lights keys";
    bool barColour = false;
    for (int i = 0; i < Keyboard()->LedCapacity(); ++i) {
        const lighting::LedColor c = Keyboard()->GetLedColor(i);
        barColour |= c.red > c.green && c.green > c.blue && c.blue > 0;
    }
    EXPECT_TRUE(barColour) << "the keys take the foreground's hue";
}

} // namespace
} // namespace vpc::panels::test
