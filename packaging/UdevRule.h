// The udev rule that lets the logged-in user open the hidraw nodes of every supported device,
// made from the supported-device table so the two never drift apart.
#pragma once

#include <string>

namespace vpc::packaging {

std::string MakeUdevRule();

} // namespace vpc::packaging
