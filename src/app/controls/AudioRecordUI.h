// The waveform of the music window: 500 sample levels drawn as thin vertical
// bars, two units apart, rising from the bottom.
#pragma once

#include <QLabel>
#include <QRect>
#include <QSize>
#include <array>
#include <span>
#include <vector>

class CAudioRecordUI : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
public:
    static constexpr const char* kClassText = "AudioRecord";
    static constexpr const char* kRegisteredName = "CAudioRecordUI";
    static constexpr int kSampleCount = 500;
    // A sample of this level fills the whole height.
    static constexpr int kFullScale = 8192;

    explicit CAudioRecordUI(QWidget* parent = nullptr);

    QString GetClass() const { return QString::fromLatin1(kClassText); }

    // Takes up to 500 levels; the rest keep their values.
    void SetSamples(std::span<const int> samples);
    const std::array<int, kSampleCount>& Samples() const { return m_samples; }

    // The bar of every sample that fits in a control of this size: one unit wide,
    // every 2 units from the left, from height - level * height / 8192 to the
    // bottom. Levels outside 0..8192 are held at its ends.
    static std::vector<QRect> WaveformBars(std::span<const int> samples, const QSize& size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<int, kSampleCount> m_samples{};
};
