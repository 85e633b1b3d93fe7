#include "HidPath.h"

#include <cctype>
#include <cstdio>

namespace vpc::hid {

std::optional<std::uint32_t> FindHexField(std::string_view path, std::string_view key) {
    if (key.empty() || path.size() < key.size())
        return std::nullopt;
    for (std::size_t i = 0; i + key.size() <= path.size(); ++i) {
        bool match = true;
        for (std::size_t k = 0; k < key.size() && match; ++k)
            match = std::tolower(static_cast<unsigned char>(path[i + k])) ==
                    std::tolower(static_cast<unsigned char>(key[k]));
        if (!match)
            continue;
        std::uint32_t value = 0;
        std::size_t digits = 0;
        for (std::size_t j = i + key.size(); j < path.size() && digits < 8; ++j, ++digits) {
            const int c = std::tolower(static_cast<unsigned char>(path[j]));
            int d = -1;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            if (d < 0)
                break;
            value = value * 16 + static_cast<std::uint32_t>(d);
        }
        return value;
    }
    return std::nullopt;
}

std::string MakeInterfaceTail(std::uint16_t vendorId, std::uint16_t productId, int interfaceNumber,
                              unsigned collectionNumber) {
    char text[64];
    int n = std::snprintf(text, sizeof text, "vid_%04x&pid_%04x", vendorId, productId);
    std::string tail(text, static_cast<std::size_t>(n));
    if (interfaceNumber >= 0) {
        n = std::snprintf(text, sizeof text, "&mi_%02x", static_cast<unsigned>(interfaceNumber));
        tail.append(text, static_cast<std::size_t>(n));
    }
    if (collectionNumber > 0) {
        n = std::snprintf(text, sizeof text, "&col%02x", collectionNumber);
        tail.append(text, static_cast<std::size_t>(n));
    }
    return tail;
}

} // namespace vpc::hid
