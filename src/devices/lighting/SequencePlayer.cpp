#include "SequencePlayer.h"

#include "LightTables.h"

namespace vpc::lighting {
namespace {

void FillAll(LedColorBuffer& colors, const Rgb& color, std::uint8_t brightness) {
    colors.fill(LedColor{color.red, color.green, color.blue, brightness});
}

} // namespace

void SequencePlayer::SetSequence(std::span<const EffectFrame> frames) {
    frames_.assign(frames.begin(), frames.end());
    position_ = 0;
    frameStartMs_.reset();
}

void SequencePlayer::Play(LedColorBuffer& colors, std::uint8_t stateSpeed, std::uint64_t nowMs) {
    if (position_ >= frames_.size()) {
        position_ = 0;
    }
    if (frames_.empty()) {
        colors.fill(LedColor{});
        return;
    }
    if (!frameStartMs_) {
        frameStartMs_ = nowMs;
    }
    const EffectFrame frame = frames_[position_];

    counter_ += 1;
    const std::uint32_t limit = frame.kind == static_cast<std::uint8_t>(FrameKind::WheelColor)
                                    ? static_cast<std::uint32_t>(StepInterval(1, frame.speed))
                                    : PeriodOf(frame.speed);
    if (counter_ >= limit) {
        counter_ = 0;
        RunFrameStep(frame, colors, stateSpeed, nowMs);
    }

    const auto elapsed = static_cast<std::int64_t>(nowMs - *frameStartMs_);
    if (elapsed > frame.timeMs) {
        position_ = (position_ + 1) % frames_.size();
        frameStartMs_ = nowMs;
    }
}

void SequencePlayer::RunFrameStep(const EffectFrame& frame, LedColorBuffer& colors,
                                  std::uint8_t stateSpeed, std::uint64_t nowMs) {
    const auto& wheel = ColorWheel();
    const std::uint8_t level = LevelValue(frame.brightness);
    switch (static_cast<FrameKind>(frame.kind)) {
    case FrameKind::Breathing: {
        phase_ = phase_ + 1 >= kBreathSize ? 0 : phase_ + 1;
        if (phase_ == 0) {
            colorIndex_ = colorIndex_ + 16 >= kWheelSize ? 0 : colorIndex_ + 16;
        }
        const Rgb& color = frame.multiColor ? wheel[colorIndex_ % kWheelSize] : frame.color;
        FillAll(colors, color, Scale(BreathCurve()[phase_], level));
        break;
    }
    case FrameKind::Static:
        FillAll(colors, frame.color, level);
        break;
    case FrameKind::Flash:
        if (nowMs - flashLastMs_ >= PeriodMs(stateSpeed) || nowMs < flashLastMs_) {
            flashOn_ = !flashOn_;
            flashLastMs_ = nowMs;
            colorIndex_ = colorIndex_ + 14 > 191 ? 0 : colorIndex_ + 14;
        }
        if (flashOn_) {
            FillAll(colors, frame.multiColor ? wheel[colorIndex_ % kWheelSize] : frame.color,
                    level);
        } else {
            colors.fill(LedColor{});
        }
        break;
    case FrameKind::SpectrumWave: {
        const int c = phase_ % kWheelSize;
        int start = 0;
        if (frame.direction != 0) {
            start = c == 0 ? 191 : kWheelSize - c;
        } else {
            start = c == 191 ? 0 : c + 1;
        }
        for (std::size_t j = 0; j < kLightCount; ++j) {
            const int jj = static_cast<int>(j);
            if (frame.multiColor) {
                const Rgb& color = wheel[(start + 12 * jj) % kWheelSize];
                colors[j] = {color.red, color.green, color.blue, level};
            } else {
                const std::uint8_t curve = ShortCurve()[(start + 12 * (jj + 1)) % kShortCurveSize];
                colors[j] = {frame.color.red, frame.color.green, frame.color.blue,
                             Scale(level, curve)};
            }
        }
        phase_ = c + 1 >= kWheelSize ? 0 : c + 1;
        break;
    }
    case FrameKind::WheelColor: {
        phase_ = phase_ + 1 >= kWheelSize ? 0 : phase_ + 1;
        FillAll(colors, wheel[phase_], level);
        break;
    }
    default:
        break; // kinds the player does not know leave the lights as they are
    }
}

} // namespace vpc::lighting
