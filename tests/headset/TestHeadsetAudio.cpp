// The headset's audio settings against the simulated audio chip: what reaches the chip, what
// the panels show and what the profile keeps, including refused writes.
#include "HeadsetAudio.h"

#include "JsonFile.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <variant>

namespace vpc::devices::headset {
namespace {

// What the panels were last told.
struct RecordingView : IHeadsetAudioView {
    void ShowMagicSupported(bool s) override { magicSupported = s; }
    void ShowMagicEnabled(bool on) override { magicEnabled = on; }
    void ShowMagicType(int t) override { magicType = t; }
    void ShowMicIn(bool on) override { micIn = on; }
    void ShowMicInValue(int v) override { micInValue = v; }
    void ShowMonitor(bool on) override { monitor = on; }
    void ShowMonitorValue(int v) override { monitorValue = v; }
    void ShowEqType(int t) override { eqType = t; }
    void EnableCustomEq(bool on) override { customEnabled = on; }
    void SetBandValue(int band, int value) override {
        bands.at(static_cast<std::size_t>(band)) = value;
    }
    void ShowCustomEqNames(const std::vector<std::string>& n, int s) override {
        names = n;
        selected = s;
    }

    bool magicSupported = false, magicEnabled = false, micIn = false, monitor = false;
    bool customEnabled = false;
    int magicType = -1, micInValue = -1, monitorValue = -1, eqType = -1, selected = -2;
    data::EqValues bands{};
    std::vector<std::string> names;
};

class HeadsetAudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profilePath =
            std::filesystem::path(dir.path().toStdString()) / "2024_05_07_10_00_00_000.Json";
        profile.SetDefaultPath(std::filesystem::path(VPC_TEST_DEFAULT_DATA_DIR) / "HD.Json");
        profile.SetProfilePath(profilePath);
        profile.Load(profilePath);
        audio.SetView(&view);
        ASSERT_TRUE(audio.Connect());
        audio.LoadFromProfile();
        audio.ReadAudioState();
        audio.RefreshView();
        chip.ClearWrites();
    }

    // The profile as the file on disk has it.
    data::HeadsetSystemSetStages StoredStages() {
        data::CHs6533Profiledata reread;
        reread.SetProfilePath(profilePath);
        reread.Load(profilePath);
        return reread.GetSystemSetStages();
    }

    std::vector<std::pair<std::string, std::int32_t>> IntegerWrites() const {
        std::vector<std::pair<std::string, std::int32_t>> writes;
        for (const auto& w : chip.Writes())
            if (const auto* v = std::get_if<std::int32_t>(&w.value))
                writes.emplace_back(w.name, *v);
        return writes;
    }

    QTemporaryDir dir;
    std::filesystem::path profilePath;
    data::CHs6533Profiledata profile;
    CSimulatedAudioChip chip;
    int saves = 0;
    CHeadsetAudio audio{chip, profile, [this] {
                            ++saves;
                            profile.Save();
                        }};
    RecordingView view;
};

TEST_F(HeadsetAudioTest, ConnectingReadsTheChipAndDefinesEveryProperty) {
    EXPECT_EQ(audio.PlaybackDevice().words[0], 0x6533'0001u);
    EXPECT_EQ(audio.CaptureDevice().words[0], 0x6533'0002u);
    EXPECT_EQ(audio.CaptureDevice().features, (std::array<std::uint32_t, 3>{131072, 5, 2}));
    EXPECT_TRUE(audio.MagicVoiceSupported());
    const data::HeadsetSystemSetStages& s = audio.Settings();
    EXPECT_EQ(s.micInSelect, 1);      // "MuteControl" 0
    EXPECT_EQ(s.micInValue, 62);      // 0.62
    EXPECT_EQ(s.micMoniterSelect, 0); // "AAMuteControl" 1
    EXPECT_EQ(s.micMoniterValue, 37);
    EXPECT_TRUE(audio.MonitorMuted());
    // properties the chip could not read were given 0
    EXPECT_EQ(chip.Stored(AudioFlow::Playback, "RFX_ROOMSIZE"), "0");
    EXPECT_EQ(chip.Stored(AudioFlow::Playback, "EQ_Slider10"), "0");
    EXPECT_EQ(chip.Stored(AudioFlow::Capture, "VolumeControl", -1), "0");
    EXPECT_EQ(view.micInValue, 62);
    EXPECT_EQ(view.eqType, 1);

    // a chip that cannot start is said once and never written to
    CSimulatedAudioChip broken;
    broken.initResult = false;
    CHeadsetAudio dead(broken, profile, {});
    EXPECT_FALSE(dead.Connect());
    EXPECT_EQ(dead.Problems(), std::vector<std::string>{"ConfLibInit called failed!"});
    EXPECT_FALSE(dead.ToggleMicMute());
    dead.SelectEqPreset(2);
    EXPECT_TRUE(broken.Writes().empty());

    // a feature text with fewer than seven fields
    CSimulatedAudioChip shortFeatures;
    shortFeatures.Store(AudioFlow::Capture, "GetSupportFeature", "131072,0,0");
    CHeadsetAudio partial(shortFeatures, profile, {});
    EXPECT_TRUE(partial.Connect());
    EXPECT_EQ(partial.Problems(), std::vector<std::string>{"UpdateAPOAvailable failed!"});
    EXPECT_FALSE(partial.MagicVoiceSupported());
}

TEST_F(HeadsetAudioTest, PresetsReachTheChipTheSlidersAndTheProfile) {
    audio.SelectEqPreset(5);
    std::vector<std::pair<std::string, std::int32_t>> expected = {{"Enable_EQ_GFX", 1}};
    for (int band = 1; band <= 10; ++band)
        expected.emplace_back("EQ_Slider" + std::to_string(band), 0);
    EXPECT_EQ(IntegerWrites(), expected);
    EXPECT_EQ(StoredStages().eqType, 5);
    EXPECT_EQ(view.eqType, 5);
    EXPECT_FALSE(view.customEnabled);

    chip.ClearWrites();
    audio.SelectEqPreset(3);
    const data::EqValues preset3{10, 4, 0, -3, -4, -3, -2, -1, 0, 0};
    EXPECT_EQ(view.bands, preset3);
    EXPECT_EQ(chip.Stored(AudioFlow::Playback, "EQ_Slider1"), "10");
    EXPECT_EQ(chip.Stored(AudioFlow::Playback, "EQ_Slider5"), "-4");

    // a band moved during preset 3: custom, on the chip at once, nothing saved
    const int savesBefore = saves;
    audio.SetEqBand(4, 7);
    EXPECT_EQ(audio.Settings().eqType, 13);
    EXPECT_EQ(view.eqType, 13);
    EXPECT_TRUE(view.customEnabled);
    EXPECT_EQ(view.selected, -1);
    EXPECT_EQ(chip.Stored(AudioFlow::Playback, "EQ_Slider5"), "7");
    EXPECT_EQ(saves, savesBefore);
    EXPECT_EQ(StoredStages().eqType, 3);

    // no equaliser: off and ten zero bands
    chip.ClearWrites();
    audio.SelectEqPreset(0);
    EXPECT_EQ(IntegerWrites().front(), (std::pair<std::string, std::int32_t>{"Enable_EQ_GFX", 0}));
    EXPECT_EQ(chip.Stored(AudioFlow::Playback, "EQ_Slider1"), "0");
    EXPECT_EQ(StoredStages().eqType, 0);
}

TEST_F(HeadsetAudioTest, CustomEqualisersAreNamedOnceAndAtMostTwenty) {
    ASSERT_EQ(audio.CustomNames(), std::vector<std::string>{"Custom 1"});
    const data::EqValues night{-4, -2, 1, 3, 5, 6, 4, 2, -1, -3};
    EXPECT_EQ(audio.SaveCustomEq("Night", night, -1), 1);
    EXPECT_EQ(audio.SelectedCustom(), 1);
    EXPECT_EQ(view.names, (std::vector<std::string>{"Custom 1", "Night"}));
    EXPECT_EQ(view.selected, 1);
    EXPECT_EQ(profile.GetCustomEqValues(1), std::vector<std::int32_t>(night.begin(), night.end()));
    EXPECT_EQ(StoredStages().customEqSeletIndex, 1);
    EXPECT_EQ(audio.SaveCustomEq("NIGHT", night, 1), 0) << "the same name in another case";
    EXPECT_EQ(audio.SaveCustomEq("", night, -1), -1) << "no name and nothing selected";
    for (int i = 3; i <= 20; ++i)
        ASSERT_EQ(audio.SaveCustomEq("eq " + std::to_string(i), night, -1), 1) << i;
    EXPECT_EQ(audio.CustomNames().size(), 20u);
    EXPECT_EQ(audio.SaveCustomEq("one more", night, -1), -1);
    EXPECT_EQ(audio.CustomNames().size(), 20u);
}

TEST_F(HeadsetAudioTest, DeletingKeepsEveryNameWithItsOwnBandsAndTheLastLeavesPresetOne) {
    const data::EqValues a{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    const data::EqValues b{-1, -2, -3, -4, -5, -6, -7, -8, -9, -10};
    ASSERT_EQ(audio.SaveCustomEq("Night", a, -1), 1);
    ASSERT_EQ(audio.SaveCustomEq("Game", b, -1), 1);
    audio.DeleteCustomEq(1); // "Night"
    EXPECT_EQ(audio.CustomNames(), (std::vector<std::string>{"Custom 1", "Game"}));
    EXPECT_EQ(profile.GetCustomEqValues(1), std::vector<std::int32_t>(b.begin(), b.end()));
    EXPECT_EQ(view.selected, 0);

    audio.DeleteCustomEq(5); // past the list: nothing
    EXPECT_EQ(audio.CustomNames().size(), 2u);
    audio.DeleteCustomEq(0);
    audio.DeleteCustomEq(0);
    EXPECT_TRUE(audio.CustomNames().empty());
    EXPECT_EQ(audio.Settings().eqType, 1);
    EXPECT_EQ(view.eqType, 1);
    EXPECT_FALSE(view.customEnabled);
    const data::EqValues preset1{7, 11, 2, -3, -1, 4, 9, 12, 9, 5};
    EXPECT_EQ(view.bands, preset1);
    EXPECT_EQ(chip.Stored(AudioFlow::Playback, "EQ_Slider2"), "11");
    EXPECT_EQ(StoredStages().eqType, 1);
}

TEST_F(HeadsetAudioTest, MuteVolumeAndVoiceChangeOnlyWhenTheChipTakesThem) {
    const int savesBefore = saves;
    chip.failingWrites = {"MuteControl", "AAVolumeScalarControl"};
    EXPECT_FALSE(audio.ToggleMicMute());
    EXPECT_FALSE(audio.MicMuted());
    EXPECT_EQ(audio.Settings().micInSelect, 1);
    EXPECT_TRUE(view.micIn) << "the switch shows the state that still holds";
    EXPECT_FALSE(audio.SetMonitorVolume(55));
    EXPECT_EQ(view.monitorValue, 37);
    EXPECT_EQ(saves, savesBefore);

    chip.failingWrites.clear();
    EXPECT_TRUE(audio.ToggleMicMute());
    EXPECT_TRUE(audio.MicMuted());
    EXPECT_EQ(StoredStages().micInSelect, 0);
    EXPECT_TRUE(audio.ToggleMonitorMute());
    EXPECT_EQ(StoredStages().micMoniterSelect, 1);

    struct Case {
        int slider;
        int stored;
        float written;
    };
    for (const Case c :
         {Case{45, 45, 0.45f}, Case{100, 100, 1.0f}, Case{130, 100, 1.0f}, Case{-3, 0, 0.0f}}) {
        chip.ClearWrites();
        ASSERT_TRUE(audio.SetMicVolume(c.slider));
        ASSERT_EQ(chip.Writes().size(), 1u);
        EXPECT_EQ(chip.Writes()[0].name, "VolumeScalarControl");
        EXPECT_EQ(chip.Writes()[0].channel, -1);
        EXPECT_FLOAT_EQ(std::get<float>(chip.Writes()[0].value), c.written);
        EXPECT_EQ(StoredStages().micInValue, c.stored);
    }

    chip.ClearWrites();
    EXPECT_TRUE(audio.ToggleMagicVoice(true));
    EXPECT_EQ(IntegerWrites(), (std::vector<std::pair<std::string, std::int32_t>>{
                                   {"Enable_MAGICVOICE", 1}, {"Enable_MICECHO", 0}}));
    EXPECT_FALSE(audio.SetMagicVoiceType(0));
    EXPECT_FALSE(audio.SetMagicVoiceType(5));
    EXPECT_TRUE(audio.SetMagicVoiceType(4));
    EXPECT_EQ(chip.Stored(AudioFlow::Capture, "MagicVoice_Selection"), "3");
    EXPECT_EQ(StoredStages().magicType, 4);
    EXPECT_EQ(StoredStages().magicEnable, 1);
}

} // namespace
} // namespace vpc::devices::headset
