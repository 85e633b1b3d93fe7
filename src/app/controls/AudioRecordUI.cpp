#include "AudioRecordUI.h"

#include "ControlColors.h"

#include <QPainter>
#include <algorithm>

CAudioRecordUI::CAudioRecordUI(QWidget* parent) : QLabel(parent) {
    setProperty("paintsOwnBackground", true);
    // A ramp until the first levels arrive.
    for (int i = 0; i < 256; ++i) {
        m_samples[static_cast<std::size_t>(i)] = i;
    }
}

void CAudioRecordUI::SetSamples(std::span<const int> samples) {
    const std::size_t count = std::min(samples.size(), m_samples.size());
    std::copy_n(samples.begin(), count, m_samples.begin());
    update();
}

std::vector<QRect> CAudioRecordUI::WaveformBars(std::span<const int> samples, const QSize& size) {
    std::vector<QRect> bars;
    const int height = std::max(size.height(), 0);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const int x = static_cast<int>(i) * 2;
        if (x >= size.width()) {
            break;
        }
        const int level = std::clamp(samples[i], 0, kFullScale);
        const int top =
            height - static_cast<int>(static_cast<long long>(level) * height / kFullScale);
        bars.emplace_back(x, top, 1, height - top);
    }
    return bars;
}

void CAudioRecordUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ControlColor(this, "bkcolor", ThemeColor::Surface));
    const QColor bar = ControlColor(this, "forecolor", ThemeColor::Accent);
    for (const QRect& r : WaveformBars(m_samples, size())) {
        if (!r.isEmpty()) {
            painter.fillRect(r, bar);
        }
    }
}
