// Firmware model shared by every simulated product of the 64-byte command protocol: memories,
// sessions, receiver link, status block, notifications, fault injection and the packet log.
// Transport-free: a transport hands it output reports and delivers what it answers.
#pragma once

#include "SimTypes.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace vpc::sim {

class CSimDevice;

// What a device needs from the transport it is plugged into.
class ISimHost {
public:
    virtual ~ISimHost() = default;
    virtual void OnLinkChanged(CSimDevice& device, SimLink link, bool present) = 0;
    virtual void DeliverInput(CSimDevice& device, SimLink link, std::vector<std::uint8_t> report,
                              std::chrono::milliseconds delay) = 0;
    virtual void StallWrites(CSimDevice& device, SimLink link, std::chrono::milliseconds span) = 0;
};

class CSimDevice : public std::enable_shared_from_this<CSimDevice> {
public:
    static constexpr std::uint8_t kCommandReportId = 4;
    static constexpr std::uint8_t kNotifyReportId = 3;
    static constexpr std::size_t kMaxLogRecords = 100000;

    virtual ~CSimDevice() = default;
    CSimDevice(const CSimDevice&) = delete;
    CSimDevice& operator=(const CSimDevice&) = delete;

    // --- identity -------------------------------------------------------------------------
    virtual SimUsbIdentity Identity(SimLink link) const = 0;
    virtual bool HasReceiver() const { return true; }
    // Top-level collection numbers (from 1) of the command and notification collections.
    virtual unsigned CommandCollection() const { return 4; }
    virtual unsigned NotificationCollection() const { return 3; }

    // --- transport-free protocol ----------------------------------------------------------
    // One output report arrived on link; returns the reports to send back and whether the
    // link goes away. Thread-safe.
    virtual SimOutcome HandleOutputReport(SimLink link, std::span<const std::uint8_t> report);

    // --- plugging (tell the transport) ----------------------------------------------------
    void PlugCable();
    void UnplugCable();
    void PlugReceiver();
    void UnplugReceiver();
    // The wireless device's link to its receiver (on at construction).
    void SetWirelessLink(bool linked);
    bool IsPlugged(SimLink link) const;
    bool IsWirelessLinked() const;
    void AttachHost(std::weak_ptr<ISimHost> host);

    // --- device-initiated reports ---------------------------------------------------------
    // Sends a 16-bit code on the notification collection of every link that reaches the device.
    void SendNotification(std::uint16_t code);
    // The device switched its onboard profile by itself (parameter byte 0 and code 0x10nn).
    void SwitchOnboardProfile(std::uint8_t index);

    // --- memory ---------------------------------------------------------------------------
    std::vector<std::uint8_t> Region(SimRegion region) const;
    // Writes bytes at offset (growing nothing: bytes past the region's end are dropped).
    void PokeRegion(SimRegion region, std::size_t offset, std::span<const std::uint8_t> bytes);
    void PokeByte(SimRegion region, std::size_t offset, std::uint8_t value);
    // Status block: battery percent (byte 0) and charge state (byte 1: 0, 1, 2). Byte 3 says
    // which link the block was read through (1 = receiver, 0 = cable).
    static constexpr std::size_t kStatusLinkByte = 3;
    void SetBattery(std::uint8_t percent, std::uint8_t chargeState);
    int LiveFramesReceived() const;
    int LightControlNotices() const;
    bool InSession() const;
    int SessionViolations() const;

    // --- faults and log -------------------------------------------------------------------
    void InjectFault(const SimFault& fault);
    void ClearFaults();
    std::size_t PendingFaults() const;
    std::vector<SimPacketRecord> PacketLog() const;
    // Host-to-device packets with no rejection note, optionally only of one command.
    std::vector<SimPacketRecord> AcceptedPackets(std::optional<std::uint8_t> command = {}) const;
    void ClearPacketLog();

protected:
    CSimDevice();

    struct RegionAccess {
        SimRegion region;
        bool write;
    };
    // Which memory a command reads or writes; nothing for commands without memory.
    virtual std::optional<RegionAccess> RegionFor(std::uint8_t command) const;
    // Commands that must come inside BeginSession / EndSession.
    virtual bool NeedsSession(std::uint8_t command) const;
    // Sizes the regions (called by the product's constructor).
    void DefineRegion(SimRegion region, std::size_t size);

    mutable std::mutex m_mutex;

private:
    struct PendingFault {
        SimFault fault;
        int skipLeft;
        int hitsLeft;
    };

    // Both under m_mutex.
    std::optional<SimFault> TakeFault(SimLink link, std::uint8_t command);
    std::uint8_t Execute(SimLink link, const std::uint8_t* request, std::uint8_t* reply);
    void Log(SimLink link, SimDirection direction, std::span<const std::uint8_t> bytes,
             std::string note);
    std::shared_ptr<ISimHost> Host() const;
    std::vector<SimLink> ReachableLinks() const;

    std::map<SimRegion, std::vector<std::uint8_t>> m_regions;
    bool m_session = false;
    int m_sessionViolations = 0;
    int m_liveFrames = 0;
    int m_lightControlNotices = 0;
    bool m_plugged[kSimLinkCount] = {false, false};
    bool m_wirelessLinked = true;
    std::deque<PendingFault> m_faults;
    std::deque<SimPacketRecord> m_log;
    std::weak_ptr<ISimHost> m_host;
};

} // namespace vpc::sim
