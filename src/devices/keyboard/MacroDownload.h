// Writes macros into a device's macro memory as one image inside a session, for every device
// kind with macros: the image is checked against the capacity of information byte 6 and
// against the longest macro the firmware plays before anything is sent.
#pragma once

#include "CCommandChannel.h"

#include <array>
#include <filesystem>
#include <vector>

namespace vpc::devices::keyboard {

struct MacroDownloadResult {
    // 0 written (or nothing to write), n >= 1 the image is n x 4 bytes too long for the
    // device, a negative command result when the device did not take it.
    int result = 0;
    std::vector<int> halfCounts; // half the action count of each macro, in image order
    std::array<std::uint8_t, hid::CCommandChannel::kInfoBlockSize> info{};
    bool infoRead = false;
};

// The macros of the store in userFolder with these indexes, in this order. A macro of 256 or
// more actions writes nothing (result 0, see halfCounts).
MacroDownloadResult DownloadMacroImage(hid::CCommandChannel& channel,
                                       const std::filesystem::path& userFolder,
                                       const std::vector<int>& macroIndexes);

} // namespace vpc::devices::keyboard
