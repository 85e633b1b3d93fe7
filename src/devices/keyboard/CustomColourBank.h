// The bytes of one custom colour bank: the red, green and blue of every light at its LED
// number x 3, scaled by the light's brightness for a whole-group write or as they are for a
// single-key write.
#pragma once

#include "KeyboardKeyMaps.h"

#include "lighting/LightTypes.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vpc::devices::keyboard {

// Device offsets of a bank: bank x stride.
inline constexpr std::uint32_t kGroupWriteStride = 512;
inline constexpr std::uint32_t kSingleKeyWriteStride = 384;

enum class ColourScaling { ByBrightness, None };

// keyCount x 3 bytes (keyCount held to 1..170; empty outside): for each light i with an LED
// number L, bytes 3L..3L+2 = the light's red, green, blue (x brightness / 256 when scaled).
std::vector<std::uint8_t> BuildColourBank(std::span<const lighting::LedColor> lights,
                                          const KeyboardKeyMaps& maps, int keyCount,
                                          ColourScaling scaling);

} // namespace vpc::devices::keyboard
