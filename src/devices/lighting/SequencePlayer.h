// Plays the light sequence (`LEDEffectList`) for the modes without an effect of their
// own: one frame after another, each for its duration, every light in the frame's kind.
#pragma once

#include "LightTypes.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vpc::lighting {

class SequencePlayer {
public:
    // Replaces the sequence; the position goes back to 0 and the frame time restarts.
    void SetSequence(std::span<const EffectFrame> frames);
    // One pass: `stateSpeed` is the lighting state's speed (flash frames use it).
    void Play(LedColorBuffer& colors, std::uint8_t stateSpeed, std::uint64_t nowMs);

    std::size_t Position() const { return position_; }
    std::size_t Length() const { return frames_.size(); }
    const std::vector<EffectFrame>& Frames() const { return frames_; }

private:
    void RunFrameStep(const EffectFrame& frame, LedColorBuffer& colors, std::uint8_t stateSpeed,
                      std::uint64_t nowMs);

    std::vector<EffectFrame> frames_;
    std::size_t position_ = 0;
    std::optional<std::uint64_t> frameStartMs_;
    std::uint32_t counter_ = 0;
    std::uint8_t phase_ = 0;
    std::uint8_t colorIndex_ = 0;
    bool flashOn_ = false;
    std::uint64_t flashLastMs_ = 0;
};

} // namespace vpc::lighting
