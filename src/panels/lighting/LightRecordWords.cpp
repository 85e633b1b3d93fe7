#include "LightRecordWords.h"

#include <algorithm>

namespace vpc::panels {

namespace {

std::uint8_t ByteOf(std::uint32_t word, int index) {
    return static_cast<std::uint8_t>(word >> (8 * index));
}

std::uint32_t Word(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    return std::uint32_t{b0} | (std::uint32_t{b1} << 8) | (std::uint32_t{b2} << 16) |
           (std::uint32_t{b3} << 24);
}

} // namespace

LightWords ToLightWords(const data::LightInfo& info) {
    return {Word(info.selectItem, info.light, info.speed, info.fx),
            Word(info.multiColor, info.red, info.green, info.blue), Word(0, 0, 0, info.zzccLedMode),
            Word(info.customGroup, info.oldLedmode, 0, 0)};
}

data::LightInfo FromLightWords(const LightWords& words) {
    data::LightInfo info;
    info.selectItem = ByteOf(words[0], 0);
    info.light = ByteOf(words[0], 1);
    info.speed = ByteOf(words[0], 2);
    info.fx = ByteOf(words[0], 3);
    info.multiColor = ByteOf(words[1], 0);
    info.red = ByteOf(words[1], 1);
    info.green = ByteOf(words[1], 2);
    info.blue = ByteOf(words[1], 3);
    info.zzccLedMode = ByteOf(words[2], 3);
    info.customGroup = ByteOf(words[3], 0);
    info.oldLedmode = ByteOf(words[3], 1);
    return info;
}

std::uint32_t RecordColor(const data::LightInfo& info) {
    return 0xFF000000u | (std::uint32_t{info.red} << 16) | (std::uint32_t{info.green} << 8) |
           info.blue;
}

void SetRecordColor(data::LightInfo& info, std::uint32_t argb) {
    info.red = ByteOf(argb, 2);
    info.green = ByteOf(argb, 1);
    info.blue = ByteOf(argb, 0);
}

ColorComponent ReadColorComponent(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    int value = 0;
    while (i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9') {
        value = std::min(value * 10 + (text.at(i).unicode() - u'0'), 1000); // no overflow
        ++i;
    }
    if (negative)
        value = 0;
    ColorComponent result;
    result.value = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
    result.shown = QString::number(result.value);
    return result;
}

} // namespace vpc::panels
