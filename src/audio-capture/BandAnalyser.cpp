#include "BandAnalyser.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vpc::audiocapture {

struct CBandAnalyser::FftwState {
    float* input = nullptr;
    fftwf_complex* output = nullptr;
    fftwf_plan plan = nullptr;

    explicit FftwState(int size) {
        input = fftwf_alloc_real(static_cast<std::size_t>(size));
        output = fftwf_alloc_complex(static_cast<std::size_t>(size / 2 + 1));
        plan = fftwf_plan_dft_r2c_1d(size, input, output, FFTW_ESTIMATE);
    }
    ~FftwState() {
        if (plan)
            fftwf_destroy_plan(plan);
        fftwf_free(output);
        fftwf_free(input);
    }
};

namespace {

double BandEdge(std::size_t i) {
    return kLowestHz * std::pow(kHighestHz / kLowestHz,
                                static_cast<double>(i) / static_cast<double>(kFrameBands));
}

} // namespace

int CBandAnalyser::BandOfFrequency(double hz) {
    if (!(hz >= kLowestHz) || hz >= kHighestHz)
        return -1;
    const double position = std::log(hz / kLowestHz) / std::log(kHighestHz / kLowestHz) *
                            static_cast<double>(kFrameBands);
    return std::clamp(static_cast<int>(position), 0, static_cast<int>(kFrameBands) - 1);
}

CBandAnalyser::CBandAnalyser(int sampleRate, int fftSize)
    : m_fftSize(std::max(fftSize, 64)), m_window(static_cast<std::size_t>(m_fftSize)),
      m_fftw(std::make_unique<FftwState>(m_fftSize)) {
    for (int n = 0; n < m_fftSize; ++n)
        m_window[static_cast<std::size_t>(n)] =
            static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / (m_fftSize - 1)));
    const double binHz = static_cast<double>(sampleRate) / m_fftSize;
    const int lastBin = m_fftSize / 2;
    for (std::size_t i = 0; i < kFrameBands; ++i) {
        const double low = BandEdge(i);
        const double high = BandEdge(i + 1);
        BandBins& band = m_bands[i];
        band.first = std::min(static_cast<int>(std::ceil(low / binHz)), lastBin + 1);
        band.end = std::min(static_cast<int>(std::ceil(high / binHz)), lastBin + 1);
        band.centreBin = std::sqrt(low * high) / binHz;
    }
}

CBandAnalyser::~CBandAnalyser() = default;

void CBandAnalyser::SetStyle(int low, int middle, int high) {
    const auto gain = [](int v) { return (1.0 + std::clamp(v, 0, 9)) / 5.0; };
    m_styleGain = {gain(low), gain(middle), gain(high)};
}

LevelFrame CBandAnalyser::Analyse(std::span<const float> samples) {
    const std::size_t size = static_cast<std::size_t>(m_fftSize);
    const std::size_t count = std::min(samples.size(), size);
    const std::size_t pad = size - count;
    std::fill_n(m_fftw->input, pad, 0.0f);
    double energy = 0;
    const float* source = samples.data() + (samples.size() - count);
    for (std::size_t n = 0; n < count; ++n) {
        energy += static_cast<double>(source[n]) * source[n];
        m_fftw->input[pad + n] = source[n] * m_window[pad + n];
    }
    m_lastRms = std::sqrt(energy / static_cast<double>(size));
    fftwf_execute(m_fftw->plan);

    // a full-scale sine through the Hann window peaks at size / 4
    const double scale = 4.0 / static_cast<double>(size);
    const int bins = m_fftSize / 2 + 1;
    const auto magnitude = [&](int k) {
        if (k < 0 || k >= bins)
            return 0.0;
        const double re = m_fftw->output[k][0];
        const double im = m_fftw->output[k][1];
        return std::sqrt(re * re + im * im) * scale;
    };
    LevelFrame frame{};
    for (std::size_t i = 0; i < kFrameBands; ++i) {
        const BandBins& band = m_bands[i];
        double peak = 0;
        if (band.end > band.first) {
            for (int k = band.first; k < band.end; ++k)
                peak = std::max(peak, magnitude(k));
        } else {
            const int below = static_cast<int>(std::floor(band.centreBin));
            const double t = band.centreBin - below;
            peak = magnitude(below) * (1.0 - t) + magnitude(below + 1) * t;
        }
        const double db = peak > 0 ? 20.0 * std::log10(peak) : -200.0;
        const double level = std::max(0.0, db + 60.0) * 25.0 * m_styleGain[i * 3 / kFrameBands];
        frame[i] = static_cast<std::int32_t>(std::lround(std::min(level, 2000.0)));
    }
    return frame;
}

const LevelFrame& CNoiseGate::Next(const LevelFrame& frame, double rms) {
    LevelFrame candidate{};
    if (rms >= kSilenceRms)
        candidate = frame;
    std::int64_t change = 0;
    for (std::size_t i = 0; i < candidate.size(); ++i)
        change += std::abs(static_cast<std::int64_t>(candidate[i]) - m_sent[i]);
    const bool silent =
        std::all_of(candidate.begin(), candidate.end(), [](auto v) { return v == 0; });
    if (change >= kMinimumChange || (silent && change > 0))
        m_sent = candidate;
    return m_sent;
}

} // namespace vpc::audiocapture
