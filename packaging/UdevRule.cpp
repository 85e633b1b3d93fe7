#include "UdevRule.h"

#include "DeviceTable.h"

#include <cstdio>
#include <set>
#include <utility>

namespace vpc::packaging {

std::string MakeUdevRule() {
    std::string rule =
        "# VORNA PAD QMT58 Control Center: access to the supported devices for the user at the\n"
        "# seat (uaccess), without root. Made from the program's supported-device table.\n";
    std::set<std::pair<std::uint16_t, std::uint16_t>> products;
    for (const devices::DeviceIdentity& row : devices::SupportedDeviceTable())
        products.emplace(row.vendorId, row.productId);
    for (const auto& [vendor, product] : products) {
        char line[200];
        std::snprintf(line, sizeof line,
                      "KERNEL==\"hidraw*\", SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%04x\", "
                      "ATTRS{idProduct}==\"%04x\", TAG+=\"uaccess\"\n",
                      vendor, product);
        rule += line;
    }
    return rule;
}

} // namespace vpc::packaging
