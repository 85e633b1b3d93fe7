// The lighting record as the panel and the devices pass it: the four words of `SetLightInfo`
// and `ShowLightInfo`, colour words, and the reading of a colour component typed into a box.
#pragma once

#include "ProfileRecords.h"

#include <QString>
#include <array>
#include <cstdint>

namespace vpc::panels {

using data::FromLightWords;
using data::LightWords;
using data::ToLightWords;

// 0xFF000000 + red x 65536 + green x 256 + blue.
std::uint32_t RecordColor(const data::LightInfo& info);
void SetRecordColor(data::LightInfo& info, std::uint32_t argb);

// A colour component typed into a box: the number it starts with (after blanks, with an optional
// sign; 0 when it does not start with one), held to 0..255 from both sides, and the text the
// box shows afterwards (the value itself, so the box never shows what was not stored).
struct ColorComponent {
    std::uint8_t value = 0;
    QString shown;
};
ColorComponent ReadColorComponent(const QString& text);

} // namespace vpc::panels
