// Interface path text: builds the "vid_XXXX&pid_XXXX&mi_NN&colNN" tail that every backend puts
// in its paths and reads the numbers back out of any path.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vpc::hid {

// The hexadecimal number after key (found ignoring case), or nothing when key is absent.
std::optional<std::uint32_t> FindHexField(std::string_view path, std::string_view key);

inline std::uint16_t PathVendorId(std::string_view p) {
    return static_cast<std::uint16_t>(FindHexField(p, "vid_").value_or(0));
}
inline std::uint16_t PathProductId(std::string_view p) {
    return static_cast<std::uint16_t>(FindHexField(p, "pid_").value_or(0));
}
inline std::uint16_t PathInterfaceNumber(std::string_view p) {
    return static_cast<std::uint16_t>(FindHexField(p, "&mi_").value_or(0));
}
inline std::uint16_t PathCollectionNumber(std::string_view p) {
    return static_cast<std::uint16_t>(FindHexField(p, "&col").value_or(0));
}

// "vid_320f&pid_5055&mi_01&col04"; interfaceNumber < 0 leaves out "&mi_", collection 0 leaves
// out "&col" (an interface with a single collection).
std::string MakeInterfaceTail(std::uint16_t vendorId, std::uint16_t productId, int interfaceNumber,
                              unsigned collectionNumber);

} // namespace vpc::hid
