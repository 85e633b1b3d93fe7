// The Linux side of the headset's audio: which mixer controls carry the microphone and the
// monitor, finding the headset's card, and the equaliser as one PipeWire filter process.
#include "HeadsetAudio.h"
#include "LinuxAudioChip.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <signal.h>
#include <sys/stat.h>

namespace vpc::devices::headset {
namespace {

TEST(LinuxAudioTest, MixerControlsOfTheMicrophoneAndTheMonitor) {
    const MixerElementInfo speaker{"Speaker", false, false, true, true};
    const MixerElementInfo mic{"Mic", true, true, true, true}; // capture, and its sidetone
    const MixerElementInfo headsetMic{"Headset Mic", true, true, false, false};
    const MixerElementInfo sidetone{"Sidetone", false, false, true, true};
    const MixerElementInfo capture{"Capture", true, true, false, false};
    const MixerElementInfo pcm{"PCM", false, false, true, false};
    const MixerElementInfo agc{"Auto Gain Control", false, true, false, false};
    struct Case {
        const char* what;
        std::vector<MixerElementInfo> elements;
        MixerControls expected;
    };
    const std::vector<Case> cases = {
        {"USB headset: Mic both ways", {speaker, mic}, {"Mic", "Mic"}},
        {"named sidetone wins", {headsetMic, mic, sidetone}, {"Mic", "Sidetone"}},
        {"headset mic and sidetone", {pcm, headsetMic, sidetone}, {"Headset Mic", "Sidetone"}},
        {"generic capture, no monitor", {pcm, capture}, {"Capture", ""}},
        {"a switch alone is no microphone", {agc, speaker}, {"", ""}},
        {"nothing", {}, {"", ""}},
    };
    for (const Case& c : cases) {
        const MixerControls chosen = ChooseMixerControls(c.elements);
        EXPECT_EQ(chosen.microphone, c.expected.microphone) << c.what;
        EXPECT_EQ(chosen.monitor, c.expected.monitor) << c.what;
    }
}

TEST(LinuxAudioTest, TheHeadsetsCardIsFoundByItsUsbIdentity) {
    QTemporaryDir proc;
    ASSERT_TRUE(proc.isValid());
    const std::filesystem::path root = proc.path().toStdString();
    const auto card = [&](const char* name, const char* usbid) {
        std::filesystem::create_directories(root / name);
        if (usbid)
            std::ofstream(root / name / "usbid") << usbid << "\n";
    };
    EXPECT_EQ(FindUsbSoundCard(0x0C76, 0x1630, root.string()), -1);
    card("card0", "046d:0a44");
    card("card1", nullptr);
    card("card12", "0C76:1630");
    card("cards", "0c76:1630");
    EXPECT_EQ(FindUsbSoundCard(0x0C76, 0x1630, root.string()), 12);
    card("card3", "0c76:1630");
    EXPECT_EQ(FindUsbSoundCard(0x0C76, 0x1630, root.string()), 3);
    EXPECT_EQ(FindUsbSoundCard(0x0C76, 0x1631, root.string()), -1);
}

TEST(LinuxAudioTest, TheFilterChainCarriesTheBandGains) {
    const data::EqValues gains{10, 4, 0, -3, -4, -3, -2, -1, 6, 9};
    const std::string conf = MakeEqualiserFilterChain(gains, "alsa_output.usb-headset");
    for (const char* expected : {"name = band1 label = bq_peaking control = { \"Freq\" = 31.0 "
                                 "\"Q\" = 1.41 \"Gain\" = 10.0 }",
                                 "name = band5 label = bq_peaking control = { \"Freq\" = 500.0 "
                                 "\"Q\" = 1.41 \"Gain\" = -4.0 }",
                                 "name = band10 label = bq_peaking control = { \"Freq\" = 16000.0 "
                                 "\"Q\" = 1.41 \"Gain\" = 9.0 }",
                                 "{ output = \"band9:Out\" input = \"band10:In\" }",
                                 "target.object = \"alsa_output.usb-headset\""})
        EXPECT_NE(conf.find(expected), std::string::npos) << expected;
    EXPECT_EQ(MakeEqualiserFilterChain(gains, "").find("target.object"), std::string::npos);
}

TEST(LinuxAudioTest, ANewFilterReplacesTheRunningOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // stands in for pipewire: runs until it is told to end, whatever its arguments
    const std::string program = dir.path().toStdString() + "/fake-pipewire";
    std::ofstream(program) << "#!/bin/sh\nexec sleep 60\n";
    ::chmod(program.c_str(), 0755);
    CPipeWireEqualiser filter("", dir.path().toStdString(), program);
    ASSERT_TRUE(filter.Apply({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    const pid_t first = filter.RunningProcess();
    ASSERT_GT(first, 0);
    EXPECT_EQ(::kill(first, 0), 0);
    ASSERT_TRUE(filter.Apply({-1, -2, -3, -4, -5, -6, -7, -8, -9, -10}));
    const pid_t second = filter.RunningProcess();
    EXPECT_NE(second, first);
    EXPECT_EQ(::kill(first, 0), -1) << "the first filter is gone, not left running";
    std::ifstream conf(dir.path().toStdString() + "/headset-equaliser.conf");
    const std::string text((std::istreambuf_iterator<char>(conf)),
                           std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\"Gain\" = -10.0"), std::string::npos);
    filter.Remove();
    EXPECT_EQ(filter.RunningProcess(), -1);
    EXPECT_EQ(::kill(second, 0), -1);
}

// Records the filters the chip asks for.
struct RecordingFilter : IEqualiserFilter {
    bool Apply(const data::EqValues& gains) override {
        applied.push_back(gains);
        return works;
    }
    void Remove() override { ++removed; }
    std::vector<data::EqValues> applied;
    int removed = 0;
    bool works = true;
};

TEST(LinuxAudioTest, WithoutTheCardTheEqualiserStillWorksAndTheMicrophoneSaysSo) {
    QTemporaryDir proc;
    ASSERT_TRUE(proc.isValid());
    auto filter = std::make_unique<RecordingFilter>();
    RecordingFilter& seen = *filter;
    CLinuxAudioChip chip(0x0C76, 0x1630, std::move(filter), proc.path().toStdString());
    data::CHs6533Profiledata profile;
    CHeadsetAudio audio(chip, profile, {});
    ASSERT_TRUE(audio.Connect());
    ASSERT_EQ(chip.Problems().size(), 1u);
    EXPECT_NE(chip.Problems()[0].find("no ALSA sound card"), std::string::npos);
    EXPECT_FALSE(audio.ToggleMicMute());
    EXPECT_FALSE(audio.MagicVoiceSupported());

    seen.applied.clear();
    audio.SelectEqPreset(7);
    ASSERT_EQ(seen.applied.size(), 1u) << "one filter for the ten bands";
    EXPECT_EQ(seen.applied[0], (data::EqValues{14, 10, 4, 0, -4, -3, -1, 1, 2, 3}));
    audio.SetEqBand(9, -6);
    ASSERT_EQ(seen.applied.size(), 2u);
    EXPECT_EQ(seen.applied[1][9], -6);
    const int removedBefore = seen.removed;
    audio.SelectEqPreset(0);
    EXPECT_EQ(seen.removed, removedBefore + 1) << "no equaliser: the filter goes";

    seen.works = false;
    audio.SelectEqPreset(2);
    EXPECT_EQ(chip.Problems().size(), 2u);
    audio.SelectEqPreset(3);
    EXPECT_EQ(chip.Problems().size(), 2u) << "said once";
}

// A card the kernel lists but ALSA cannot open: the mixer library is loaded when the chip first
// opens it, and the failure is said as the mixer's, not as a missing library or function.
TEST(LinuxAudioTest, ACardThatCannotBeOpenedIsSaidAsTheMixers) {
    QTemporaryDir proc;
    ASSERT_TRUE(proc.isValid());
    const std::filesystem::path root = proc.path().toStdString();
    std::filesystem::create_directories(root / "card57");
    std::ofstream(root / "card57" / "usbid") << "0c76:1630\n";
    CLinuxAudioChip chip(0x0C76, 0x1630, nullptr, root.string());
    ASSERT_TRUE(chip.Init());
    ASSERT_EQ(chip.Problems().size(), 1u);
    EXPECT_EQ(chip.Problems()[0], "the mixer of hw:57 cannot be opened");
}

} // namespace
} // namespace vpc::devices::headset
