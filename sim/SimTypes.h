// Shared vocabulary of the device simulator: links, memory regions, faults, the packet log
// record and the outcome of one output report.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vpc::sim {

using SimClock = std::chrono::steady_clock;

// How the host reaches a product: its own USB cable or its 2.4 GHz receiver.
enum class SimLink { Cable = 0, Receiver = 1 };
inline constexpr int kSimLinkCount = 2;

// Device memories that the command protocol reads and writes.
enum class SimRegion {
    Info,        // information block (0x03)
    Param,       // parameter memory, records at p x 64 (0x05 / 0x06)
    KeyTable,    // key assignment table (0x07 / 0x09)
    KeyLightMap, // LED number per key position (0x1B)
    Colours,     // colour banks, addressed bank x stride + offset (0x0B)
    LightFrame,  // the last live lighting frame (0x12)
    Macro,       // macro store (0x15)
    Shoot,       // recoil data (0x17)
    Status,      // status block (0x1A)
};

// What a USB interface of the product shows the host.
struct SimUsbIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t version = 0;
    int interfaceNumber = 0;
    std::string name;
    std::vector<std::uint8_t> reportDescriptor;
};

enum class SimFaultKind {
    NoReply,             // the packet is swallowed: no effect, no reply
    LateReply,           // handled, the reply comes after delay
    UnrelatedBeforeEcho, // one unrelated report (same report id), then the echo
    TwoUnrelated,        // two unrelated reports, then the echo
    StatusError,         // answered with status 0xFF, not handled
    StatusBusy,          // answered with status 0xFE, not handled
    ReceiverNoDevice,    // answered with 0xAA in byte 3, not handled
    UnplugBeforeReply,   // the link is unplugged instead of replying
    StallWrites,         // writes on the link block for delay (armed at once)
};

// A fault hits the packets that match command and link: it lets skip of them pass, then hits
// count of them.
struct SimFault {
    SimFaultKind kind = SimFaultKind::NoReply;
    std::optional<std::uint8_t> command;
    std::optional<SimLink> link;
    int skip = 0;
    int count = 1;
    std::chrono::milliseconds delay{0};

    SimFault& OnCommand(std::uint8_t c) {
        command = c;
        return *this;
    }
    SimFault& OnLink(SimLink l) {
        link = l;
        return *this;
    }
    SimFault& After(int packets) {
        skip = packets;
        return *this;
    }
    SimFault& Times(int n) {
        count = n;
        return *this;
    }
    static SimFault Make(SimFaultKind kind, std::chrono::milliseconds delay = {}) {
        SimFault f;
        f.kind = kind;
        f.delay = delay;
        return f;
    }
};

enum class SimDirection { HostToDevice, DeviceToHost };

struct SimPacketRecord {
    SimClock::time_point time;
    SimLink link = SimLink::Cable;
    SimDirection direction = SimDirection::HostToDevice;
    std::vector<std::uint8_t> bytes;
    std::string note; // "" for a normal packet, else why it was rejected or which fault hit it
};

// A report the device sends, after delay.
struct SimReport {
    std::vector<std::uint8_t> bytes;
    std::chrono::milliseconds delay{0};
};

// What one output report makes the device do.
struct SimOutcome {
    std::vector<SimReport> reports;
    bool unplugLink = false;
};

} // namespace vpc::sim
