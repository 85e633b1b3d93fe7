// Per-key overlays: paints the lights that have an overlay record (breathing, static,
// colour cycle, flash, off) over the colours of the current effect, with their state.
#pragma once

#include "LightTypes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vpc::lighting {

class OverlayPainter {
public:
    // The order in which the kinds are applied: 0, 1, 3, 2, 4.
    static constexpr std::array<OverlayKind, 5> kOrder = {
        OverlayKind::Breathing, OverlayKind::Static, OverlayKind::ColorCycle, OverlayKind::Flash,
        OverlayKind::Off};

    // Replaces the overlay list (entries beyond the light count are ignored) and
    // resets every light's overlay state.
    void SetList(std::span<const LightListEntry> list);
    const std::vector<LightListEntry>& List() const { return list_; }

    // Paints one pass of every overlay kind in kOrder; `nowMs` is the engine time.
    void Apply(LedColorBuffer& colors, std::uint64_t nowMs);
    // Paints one pass of a single kind.
    void ApplyKind(OverlayKind kind, LedColorBuffer& colors, std::uint64_t nowMs);

    // Told of every light painted, in painting order (diagnostics of the overlay order).
    using PaintObserver = std::function<void(OverlayKind kind, std::size_t light)>;
    void SetPaintObserver(PaintObserver observer) { observer_ = std::move(observer); }

private:
    struct LightState {
        std::uint8_t breathStep = 0;
        std::uint8_t breathIndex = 0;
        bool flashOn = false;
        std::uint64_t flashLastMs = 0;
        std::uint8_t flashIndex = 0;
        std::uint32_t flashPeriodMs = 0;
        std::uint8_t cycleCounter = 0;
        std::uint8_t cycleIndex = 0;
        std::uint8_t cycleLimit = 0;
    };

    // Whether a record's overlay runs: a known kind, and breathing and colour cycle only
    // for records the profile holds.
    static bool Runs(const LightListEntry& entry);

    std::vector<LightListEntry> list_;
    // Lights whose overlay runs, by kind (as the record's kind value), in light order;
    // a pass looks at these only.
    std::array<std::vector<std::size_t>, kOrder.size()> lightsOfKind_;
    std::array<LightState, kLightCount> state_{};
    PaintObserver observer_;
};

} // namespace vpc::lighting
