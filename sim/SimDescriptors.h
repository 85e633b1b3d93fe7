// Report descriptors of the simulated products' USB interfaces.
#pragma once

#include <cstdint>
#include <vector>

namespace vpc::sim {

// Interface 1 of the keypad (and of its receiver): four top-level collections in this order:
// keyboard (report id 1), system control (2), consumer notifications (3, one 16-bit code) and
// the vendor command collection 0xFF1C/0x92 (4, 63 bytes in and out).
const std::vector<std::uint8_t>& KeypadInterfaceDescriptor();

} // namespace vpc::sim
