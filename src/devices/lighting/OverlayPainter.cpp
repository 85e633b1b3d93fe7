#include "OverlayPainter.h"

#include "LightTables.h"

#include <algorithm>

namespace vpc::lighting {
namespace {

LedColor Lit(const Rgb& color, std::uint8_t brightness) {
    return {color.red, color.green, color.blue, brightness};
}

} // namespace

void OverlayPainter::SetList(std::span<const LightListEntry> list) {
    const std::size_t count = std::min(list.size(), kLightCount);
    list_.assign(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(count));
    for (std::vector<std::size_t>& lights : lightsOfKind_) {
        lights.clear();
    }
    for (std::size_t i = 0; i < list_.size(); ++i) {
        if (Runs(list_[i])) {
            lightsOfKind_[list_[i].kind].push_back(i);
        }
    }
    for (std::size_t i = 0; i < kLightCount; ++i) {
        LightState& state = state_[i];
        state = LightState{};
        if (i < list_.size()) {
            const std::uint8_t speed = ClampLevel(list_[i].speed);
            state.flashPeriodMs = PeriodMs(speed);
            state.cycleLimit = PeriodOf(speed);
        }
    }
}

void OverlayPainter::Apply(LedColorBuffer& colors, std::uint64_t nowMs) {
    for (const OverlayKind kind : kOrder) {
        ApplyKind(kind, colors, nowMs);
    }
}

bool OverlayPainter::Runs(const LightListEntry& entry) {
    if (entry.kind >= kOrder.size()) {
        return false; // no overlay kind
    }
    // Breathing and colour cycle run only for records the profile holds.
    const auto kind = static_cast<OverlayKind>(entry.kind);
    const bool needsPresent = kind == OverlayKind::Breathing || kind == OverlayKind::ColorCycle;
    return entry.present || !needsPresent;
}

void OverlayPainter::ApplyKind(OverlayKind kind, LedColorBuffer& colors, std::uint64_t nowMs) {
    const auto& wheel = ColorWheel();
    const auto& breath = BreathCurve();
    for (const std::size_t i : lightsOfKind_[static_cast<std::size_t>(kind)]) {
        const LightListEntry& entry = list_[i];
        LightState& state = state_[i];
        const std::uint8_t level = LevelValue(entry.brightness);
        switch (kind) {
        case OverlayKind::Breathing: {
            state.breathStep =
                static_cast<std::uint8_t>(state.breathStep + ClampLevel(entry.speed) + 4);
            if (state.breathStep >= kBreathSize) {
                state.breathStep = 0;
                state.breathIndex = static_cast<std::uint8_t>(std::min(state.breathIndex + 1, 191));
            }
            const Rgb& color = entry.multiColor ? wheel[state.breathIndex] : entry.color;
            colors[i] = Lit(color, Scale(breath[state.breathStep], level));
            break;
        }
        case OverlayKind::Static:
            colors[i] = Lit(entry.color, level);
            break;
        case OverlayKind::ColorCycle:
            state.cycleCounter = static_cast<std::uint8_t>(state.cycleCounter + 1);
            if (state.cycleCounter >= state.cycleLimit) {
                state.cycleCounter = 0;
                state.cycleIndex = state.cycleIndex >= 191 ? 0 : state.cycleIndex + 1;
            }
            colors[i] = Lit(wheel[state.cycleIndex], level);
            break;
        case OverlayKind::Flash:
            if (nowMs - state.flashLastMs >= state.flashPeriodMs || nowMs < state.flashLastMs) {
                state.flashOn = !state.flashOn;
                state.flashLastMs = nowMs;
                const int next = state.flashIndex + 14;
                state.flashIndex = static_cast<std::uint8_t>(next > 191 ? 0 : next);
            }
            if (state.flashOn) {
                colors[i] = Lit(entry.multiColor ? wheel[state.flashIndex] : entry.color, level);
            } else {
                colors[i] = LedColor{};
            }
            break;
        case OverlayKind::Off:
            colors[i] = LedColor{};
            break;
        }
        if (observer_) {
            observer_(kind, i);
        }
    }
}

} // namespace vpc::lighting
