#include "LightRecordWords.h"

#include <algorithm>

namespace vpc::panels {

namespace {

std::uint8_t ByteOf(std::uint32_t word, int index) {
    return static_cast<std::uint8_t>(word >> (8 * index));
}

} // namespace

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
