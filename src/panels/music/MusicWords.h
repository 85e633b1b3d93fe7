// The music settings of a device as the lighting panel and the device pass them: three words
// (variant and background colour; foreground colour and the seven-colour flag; the colour-type
// flag, 1 when the colour controls edit the foreground), and the fields they pack.
#pragma once

#include "ProfileRecords.h"

#include <array>
#include <cstdint>

namespace vpc::panels {

using MusicWords = std::array<std::uint32_t, 3>;

struct MusicSettings {
    std::uint8_t variant = 0;
    std::array<std::uint8_t, 3> background{};
    std::array<std::uint8_t, 3> foreground{};
    bool sevenColor = false;
    bool editsForeground = false; // the colour-type flag

    static MusicSettings FromWords(const MusicWords& w) {
        const auto byte = [](std::uint32_t word, int i) {
            return static_cast<std::uint8_t>(word >> (8 * i));
        };
        MusicSettings s;
        s.variant = byte(w[0], 0);
        s.background = {byte(w[0], 1), byte(w[0], 2), byte(w[0], 3)};
        s.foreground = {byte(w[1], 0), byte(w[1], 1), byte(w[1], 2)};
        s.sevenColor = byte(w[1], 3) != 0;
        s.editsForeground = w[2] != 0;
        return s;
    }
    MusicWords ToWords() const {
        return {std::uint32_t{variant} | std::uint32_t{background[0]} << 8 |
                    std::uint32_t{background[1]} << 16 | std::uint32_t{background[2]} << 24,
                std::uint32_t{foreground[0]} | std::uint32_t{foreground[1]} << 8 |
                    std::uint32_t{foreground[2]} << 16 | std::uint32_t{sevenColor ? 1u : 0u} << 24,
                editsForeground ? 1u : 0u};
    }
    static MusicSettings FromProfile(const data::AudioLightInfo& a) {
        MusicSettings s;
        s.variant = a.audioMode;
        s.background = {a.bkColorR, a.bkColorG, a.bkColorB};
        s.foreground = {a.fgColorR, a.fgColorG, a.fgColorB};
        s.sevenColor = a.sevenColorFlags != 0;
        s.editsForeground = a.colorTypeFlags != 0;
        return s;
    }
    // The colour the controls edit (0xFF000000 + red, green, blue).
    std::uint32_t EditedColor() const {
        const auto& c = editsForeground ? foreground : background;
        return 0xFF000000u | std::uint32_t{c[0]} << 16 | std::uint32_t{c[1]} << 8 | c[2];
    }
    void SetEditedColor(std::uint32_t argb) {
        auto& c = editsForeground ? foreground : background;
        c = {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
             static_cast<std::uint8_t>(argb)};
    }
    bool operator==(const MusicSettings&) const = default;
};

} // namespace vpc::panels
