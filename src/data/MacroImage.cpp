#include "MacroImage.h"

#include "JsonAccess.h"

#include <cctype>
#include <limits>
#include <optional>
#include <string>

namespace vpc::data {

namespace {

void Put16(std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t value) {
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

} // namespace

std::uint32_t MacroDelayValue(const Json::Value& delay) {
    std::string text;
    if (delay.isString())
        text = delay.asString();
    else if (delay.isUInt64() || delay.isInt64())
        text =
            delay.isUInt64() ? std::to_string(delay.asUInt64()) : std::to_string(delay.asInt64());
    std::uint64_t value = 0;
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (value > std::numeric_limits<std::uint32_t>::max())
            value %= 0x1'0000'0000ull; // only the low bits are kept in the end
    }
    return static_cast<std::uint32_t>(value);
}

EncodedMacroAction EncodeMacroAction(const Json::Value& action) {
    const Json::Value& kind = json::Member(action, "Action");
    const bool down = kind.isString() && kind.asString() == "down";
    const std::uint32_t delay = MacroDelayValue(json::Member(action, "Delay"));
    const auto type = static_cast<std::uint8_t>(json::ToInt64(json::Member(action, "Type")));
    const auto button = static_cast<std::uint8_t>(json::ToInt64(json::Member(action, "Button")));
    return {static_cast<std::uint8_t>(delay & 0xFF), static_cast<std::uint8_t>((delay >> 8) & 0xFF),
            static_cast<std::uint8_t>(type | (down ? 0x80 : 0x00)), button};
}

std::size_t MacroImageLength(std::span<const EncodedMacro> macros) {
    std::size_t length = kMacroImageHeader;
    for (const EncodedMacro& macro : macros)
        length += 6 + 4 * macro.size();
    return length;
}

std::vector<std::uint8_t> BuildMacroImage(std::span<const EncodedMacro> macros) {
    const std::size_t length = MacroImageLength(macros);
    if (length > 0xFFFF)
        return {};
    std::vector<std::uint8_t> image(length, 0);
    Put16(image, 0, kMacroImageMagic);
    Put16(image, 2, length);
    Put16(image, 4, macros.size());
    std::size_t block = kMacroImageHeader + 2 * macros.size();
    for (std::size_t k = 0; k < macros.size(); ++k) {
        const EncodedMacro& macro = macros[k];
        Put16(image, kMacroImageHeader + 2 * k, block);
        Put16(image, block, macro.size());
        for (std::size_t j = 0; j < macro.size(); ++j)
            for (std::size_t b = 0; b < 4; ++b)
                image[block + 4 + 4 * j + b] = macro[j][b];
        block += 4 + 4 * macro.size();
    }
    return image;
}

std::optional<std::vector<DecodedMacro>> DecodeMacroImage(std::span<const std::uint8_t> image) {
    if (image.size() < kMacroImageHeader || Get16(image, 0) != kMacroImageMagic)
        return std::nullopt;
    const std::size_t length = Get16(image, 2);
    const std::size_t count = Get16(image, 4);
    if (length > image.size() || kMacroImageHeader + 2 * count > length)
        return std::nullopt;
    std::vector<DecodedMacro> macros;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t block = Get16(image, kMacroImageHeader + 2 * k);
        if (block + 4 > length)
            return std::nullopt;
        const std::size_t actions = Get16(image, block);
        if (block + 4 + 4 * actions > length)
            return std::nullopt;
        DecodedMacro macro;
        for (std::size_t j = 0; j < actions; ++j) {
            const std::size_t at = block + 4 + 4 * j;
            macro.actions.push_back({image[at], image[at + 1], image[at + 2], image[at + 3]});
        }
        macros.push_back(std::move(macro));
    }
    return macros;
}

} // namespace vpc::data
