// The companion's analysis without a sound server: a sine lands in the sub-band of its
// frequency, and the noise gate turns silence and small changes into identical frames.
#include "BandAnalyser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace vpc::audiocapture {
namespace {

std::vector<float> Sine(double hz, double amplitude, int count) {
    std::vector<float> samples(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        samples[static_cast<std::size_t>(n)] =
            static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hz * n / 48000.0));
    return samples;
}

int Loudest(const LevelFrame& frame) {
    return static_cast<int>(std::max_element(frame.begin(), frame.end()) - frame.begin());
}

// Sub-band i covers 40 Hz * 400^(i/125) up to 40 Hz * 400^((i+1)/125):
// 700 Hz: 125 * ln(17.5) / ln(400) = 59.7; 1000 Hz: 67.2; 2500 Hz: 86.3; 5000 Hz: 100.7.
struct ToneCase {
    double hz;
    int band;
};

TEST(BandAnalyser, AToneLandsInTheSubBandOfItsFrequency) {
    for (const ToneCase c : {ToneCase{700, 59}, {1000, 67}, {2500, 86}, {5000, 100}}) {
        SCOPED_TRACE(c.hz);
        EXPECT_EQ(CBandAnalyser::BandOfFrequency(c.hz), c.band);
        CBandAnalyser analyser(48000, 4096);
        const LevelFrame frame = analyser.Analyse(Sine(c.hz, 0.5, 4096));
        EXPECT_EQ(Loudest(frame), c.band);
        // -6 dBFS: (60 - 6) * 25 = 1350, give or take the window's scalloping
        EXPECT_NEAR(frame[static_cast<std::size_t>(c.band)], 1350, 60);
        EXPECT_EQ(frame[10], 0) << "far from the tone the level is below the floor";
    }
}

TEST(BandAnalyser, FrequenciesOutsideTheRangeHaveNoBand) {
    EXPECT_EQ(CBandAnalyser::BandOfFrequency(39.9), -1);
    EXPECT_EQ(CBandAnalyser::BandOfFrequency(40.0), 0);
    EXPECT_EQ(CBandAnalyser::BandOfFrequency(15999.0), 124);
    EXPECT_EQ(CBandAnalyser::BandOfFrequency(16000.0), -1);
}

TEST(BandAnalyser, TheStyleWeighsTheThirdsOfTheBands) {
    CBandAnalyser plain(48000, 4096);
    CBandAnalyser styled(48000, 4096);
    styled.SetStyle(9, 1, 0);                               // low x2.0, middle x0.4, high x0.2
    const std::vector<float> tone = Sine(1000, 0.05, 4096); // band 67: the middle third
    const int level = plain.Analyse(tone)[67];
    ASSERT_GT(level, 500);
    EXPECT_NEAR(styled.Analyse(tone)[67], level * 0.4, 1.0);
}

TEST(BandAnalyser, AShortWindowIsPaddedWithSilence) {
    CBandAnalyser analyser(48000, 4096);
    const LevelFrame frame = analyser.Analyse(Sine(2500, 0.5, 1000));
    EXPECT_EQ(Loudest(frame), 86);
    EXPECT_LT(analyser.LastRms(), 0.5 / std::sqrt(2.0));
}

TEST(NoiseGate, SilenceAndSmallChangesRepeatTheFrameSent) {
    CNoiseGate gate;
    LevelFrame loud{};
    loud[3] = 700;
    loud[40] = 900;
    EXPECT_EQ(gate.Next(loud, 0.1), loud);

    LevelFrame nudged = loud;
    nudged[3] += 60;
    nudged[40] -= 39; // 99 in all: below the change that counts
    EXPECT_EQ(gate.Next(nudged, 0.1), loud);

    LevelFrame moved = loud;
    moved[3] += 100; // exactly the change that counts
    EXPECT_EQ(gate.Next(moved, 0.1), moved);

    const LevelFrame silence{};
    EXPECT_EQ(gate.Next(moved, CNoiseGate::kSilenceRms / 2), silence);
    LevelFrame hum{};
    hum[5] = 30;
    EXPECT_EQ(gate.Next(hum, CNoiseGate::kSilenceRms / 2), silence);
    EXPECT_EQ(gate.Next(silence, 0.0), silence);
}

} // namespace
} // namespace vpc::audiocapture
