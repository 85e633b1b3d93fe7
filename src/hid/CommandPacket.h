// The 64-byte command report exchanged with a device: report id 4, checksum, command, chunk
// length, memory offset, status and 56 data bytes, with the helpers that build and read it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vpc::hid {

enum class DeviceCommand : std::uint8_t {
    BeginSession = 0x01,
    EndSession = 0x02,
    ReadInfoBlock = 0x03,
    ReadParamMemory = 0x05,
    WriteParamMemory = 0x06,
    ReadKeyTable = 0x07,
    WriteKeyTable = 0x09,
    WriteKeyColours = 0x0B,
    WriteLightFrame = 0x12,
    WriteMacroData = 0x15,
    WriteShootData = 0x17,
    ReadStatusBlock = 0x1A,
    ReadKeyLightMap = 0x1B,
    NotifyLightControl = 0x1C,
    QueryWirelessLink = 0xAA,
};

struct CommandPacket {
    static constexpr std::size_t kSize = 64;
    static constexpr std::size_t kDataOffset = 8;
    static constexpr std::size_t kDataSize = 56;
    static constexpr std::uint8_t kReportId = 4;
    static constexpr std::uint8_t kStatusError = 0xFF;
    static constexpr std::uint8_t kStatusBusy = 0xFE;
    static constexpr std::uint8_t kReceiverNoDevice = 0xAA;

    std::array<std::uint8_t, kSize> bytes{};

    // Report id, command, zero elsewhere.
    static CommandPacket Make(std::uint8_t command);

    std::uint8_t ReportId() const { return bytes[0]; }
    std::uint16_t Checksum() const {
        return static_cast<std::uint16_t>(bytes[1] | (bytes[2] << 8));
    }
    std::uint8_t Command() const { return bytes[3]; }
    std::uint8_t Length() const { return bytes[4]; }
    std::uint16_t Offset() const { return static_cast<std::uint16_t>(bytes[5] | (bytes[6] << 8)); }
    std::uint8_t Status() const { return bytes[7]; }
    std::uint8_t* Data() { return bytes.data() + kDataOffset; }
    const std::uint8_t* Data() const { return bytes.data() + kDataOffset; }

    void SetCommand(std::uint8_t command) { bytes[3] = command; }
    void SetLength(std::uint8_t length) { bytes[4] = length; }
    void SetOffset(std::uint16_t offset) {
        bytes[5] = static_cast<std::uint8_t>(offset & 0xFF);
        bytes[6] = static_cast<std::uint8_t>(offset >> 8);
    }
    void SetStatus(std::uint8_t status) { bytes[7] = status; }

    // Sum of bytes 3..63 as unsigned bytes, modulo 65536.
    static std::uint16_t ComputeChecksum(const std::uint8_t* packet64);
    std::uint16_t ComputeChecksum() const { return ComputeChecksum(bytes.data()); }
    void UpdateChecksum();
    bool HasValidChecksum() const { return Checksum() == ComputeChecksum(); }
};

} // namespace vpc::hid
