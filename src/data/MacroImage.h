// Macros as the devices take them: one action encoded in four bytes, and the store image
// (magic, length, count, offset table, one block per macro) that carries them all.
#pragma once

#include <json/json.h>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vpc::data {

using EncodedMacroAction = std::array<std::uint8_t, 4>;
using EncodedMacro = std::vector<EncodedMacroAction>;

inline constexpr std::size_t kMacroImageHeader = 16;
inline constexpr std::uint16_t kMacroImageMagic = 0x55AA;

// The leading decimal integer of a delay written as text or number; 0 when there is none.
std::uint32_t MacroDelayValue(const Json::Value& delay);
// One action: delay (low 16 bits), type with bit 7 for "down", button.
EncodedMacroAction EncodeMacroAction(const Json::Value& action);

// The image length for these macros: 16 + 6 x N + 4 x all actions.
std::size_t MacroImageLength(std::span<const EncodedMacro> macros);
// The image, in the order given; empty when it would be longer than 0xFFFF bytes.
std::vector<std::uint8_t> BuildMacroImage(std::span<const EncodedMacro> macros);

// One macro of an image read back (the simulator's decoder and tests).
struct DecodedMacro {
    std::vector<EncodedMacroAction> actions;
};
// The macros of an image; nothing when its header or offsets do not hold.
std::optional<std::vector<DecodedMacro>> DecodeMacroImage(std::span<const std::uint8_t> image);

} // namespace vpc::data
