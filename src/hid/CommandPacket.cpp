#include "CommandPacket.h"

namespace vpc::hid {

CommandPacket CommandPacket::Make(std::uint8_t command) {
    CommandPacket packet;
    packet.bytes[0] = kReportId;
    packet.bytes[3] = command;
    return packet;
}

std::uint16_t CommandPacket::ComputeChecksum(const std::uint8_t* packet64) {
    std::uint32_t sum = 0;
    for (std::size_t i = 3; i < kSize; ++i)
        sum += packet64[i];
    return static_cast<std::uint16_t>(sum & 0xFFFFu);
}

void CommandPacket::UpdateChecksum() {
    const std::uint16_t sum = ComputeChecksum();
    bytes[1] = static_cast<std::uint8_t>(sum & 0xFF);
    bytes[2] = static_cast<std::uint8_t>(sum >> 8);
}

} // namespace vpc::hid
