// Turns the latest window of captured samples into one level frame: a Hann-windowed FFT (FFTW)
// whose magnitudes are gathered into the 125 log-spaced sub-bands the main program reads.
#pragma once

#include "AudioCaptureProtocol.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vpc::audiocapture {

using LevelFrame = std::array<std::int32_t, kFrameBands>;

class CBandAnalyser {
public:
    CBandAnalyser(int sampleRate, int fftSize);
    ~CBandAnalyser();
    CBandAnalyser(const CBandAnalyser&) = delete;
    CBandAnalyser& operator=(const CBandAnalyser&) = delete;

    int FftSize() const { return m_fftSize; }
    // samples: the last FftSize() samples, oldest first (fewer are padded with silence in front).
    LevelFrame Analyse(std::span<const float> samples);
    // Level of the last analysed window (root mean square, 1.0 = full scale).
    double LastRms() const { return m_lastRms; }

    // Style weights of the low, middle and high third of the bands, each 0-9 (4 = as measured).
    void SetStyle(int low, int middle, int high);

    // The sub-band a frequency falls in (-1 outside kLowestHz..kHighestHz).
    static int BandOfFrequency(double hz);

private:
    struct BandBins {
        int first = 0; // FFT bins [first, end) inside the band
        int end = 0;
        double centreBin = 0; // where to interpolate when the band holds no bin
    };
    struct FftwState;

    int m_fftSize;
    std::vector<float> m_window;
    std::array<BandBins, kFrameBands> m_bands{};
    std::array<double, 3> m_styleGain{1.0, 1.0, 1.0};
    std::unique_ptr<FftwState> m_fftw;
    double m_lastRms = 0;
};

// Holds a frame back unless it differs from the last one sent by a clear amount: silence (a
// window below the floor) becomes the all-zero frame, and small changes repeat the previous
// frame, so a quiet machine produces identical frames.
class CNoiseGate {
public:
    static constexpr double kSilenceRms = 0.0003; // about -70 dBFS
    static constexpr std::int64_t kMinimumChange = 100;

    const LevelFrame& Next(const LevelFrame& frame, double rms);

private:
    LevelFrame m_sent{};
};

} // namespace vpc::audiocapture
