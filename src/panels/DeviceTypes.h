// Device types of the device objects, as the panels and the dispatch compare them.
// The same numbers are the profile list's device kinds.
#pragma once

namespace vpc::panels {

inline constexpr int kKeyboardType = 1;
inline constexpr int kMouseType = 2;
inline constexpr int kMousePadType = 3;
inline constexpr int kHeadsetType = 7;

} // namespace vpc::panels
