#include "CSimDevice.h"

#include "CommandPacket.h"

#include <algorithm>
#include <cstring>

namespace vpc::sim {

using hid::CommandPacket;

namespace {
constexpr std::uint8_t kUnrelatedCommand = 0x7E;
} // namespace

CSimDevice::CSimDevice() = default;

void CSimDevice::DefineRegion(SimRegion region, std::size_t size) {
    std::lock_guard lock(m_mutex);
    m_regions[region].assign(size, 0);
}

std::optional<CSimDevice::RegionAccess> CSimDevice::RegionFor(std::uint8_t command) const {
    switch (command) {
    case 0x03:
        return RegionAccess{SimRegion::Info, false};
    case 0x05:
        return RegionAccess{SimRegion::Param, false};
    case 0x06:
        return RegionAccess{SimRegion::Param, true};
    case 0x07:
        return RegionAccess{SimRegion::KeyTable, false};
    case 0x09:
        return RegionAccess{SimRegion::KeyTable, true};
    case 0x0B:
        return RegionAccess{SimRegion::Colours, true};
    case 0x12:
        return RegionAccess{SimRegion::LightFrame, true};
    case 0x15:
        return RegionAccess{SimRegion::Macro, true};
    case 0x17:
        return RegionAccess{SimRegion::Shoot, true};
    case 0x1A:
        return RegionAccess{SimRegion::Status, false};
    case 0x1B:
        return RegionAccess{SimRegion::KeyLightMap, false};
    default:
        return std::nullopt;
    }
}

bool CSimDevice::NeedsSession(std::uint8_t command) const {
    // block writes belong in a configuration exchange; reads and the stand-alone lighting,
    // status and shoot commands do not
    return command == 0x06 || command == 0x09 || command == 0x15;
}

std::shared_ptr<ISimHost> CSimDevice::Host() const {
    std::lock_guard lock(m_mutex);
    return m_host.lock();
}

void CSimDevice::AttachHost(std::weak_ptr<ISimHost> host) {
    std::lock_guard lock(m_mutex);
    m_host = std::move(host);
}

void CSimDevice::Log(SimLink link, SimDirection direction, std::span<const std::uint8_t> bytes,
                     std::string note) {
    if (m_log.size() >= kMaxLogRecords)
        m_log.pop_front();
    m_log.push_back(SimPacketRecord{SimClock::now(), link, direction,
                                    std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                                    std::move(note)});
}

std::optional<SimFault> CSimDevice::TakeFault(SimLink link, std::uint8_t command) {
    for (auto it = m_faults.begin(); it != m_faults.end(); ++it) {
        const SimFault& f = it->fault;
        if (f.kind == SimFaultKind::StallWrites)
            continue;
        if ((f.command && *f.command != command) || (f.link && *f.link != link))
            continue;
        if (it->skipLeft > 0) {
            --it->skipLeft;
            return std::nullopt;
        }
        SimFault hit = f;
        if (--it->hitsLeft <= 0)
            m_faults.erase(it);
        return hit;
    }
    return std::nullopt;
}

std::uint8_t CSimDevice::Execute(SimLink link, const std::uint8_t* request, std::uint8_t* reply) {
    const std::uint8_t command = request[3];
    const std::size_t length = request[4];
    const std::size_t offset = static_cast<std::size_t>(request[5] | (request[6] << 8));
    switch (command) {
    case 0x01:
        m_session = true;
        return 0;
    case 0x02:
        if (!m_session) {
            ++m_sessionViolations;
            return CommandPacket::kStatusError;
        }
        m_session = false;
        return 0;
    case 0x1C:
        ++m_lightControlNotices;
        return 0;
    default:
        break;
    }
    const auto access = RegionFor(command);
    if (!access || length > CommandPacket::kDataSize)
        return CommandPacket::kStatusError;
    if (NeedsSession(command) && !m_session) {
        ++m_sessionViolations;
        return CommandPacket::kStatusError;
    }
    std::vector<std::uint8_t>& memory = m_regions[access->region];
    if (offset + length > memory.size())
        return CommandPacket::kStatusError;
    if (access->write) {
        std::memcpy(memory.data() + offset, request + CommandPacket::kDataOffset, length);
        if (command == 0x12 && offset == 0)
            ++m_liveFrames;
    } else {
        std::memcpy(reply + CommandPacket::kDataOffset, memory.data() + offset, length);
        if (access->region == SimRegion::Status && offset <= kStatusLinkByte &&
            kStatusLinkByte < offset + length)
            reply[CommandPacket::kDataOffset + kStatusLinkByte - offset] =
                link == SimLink::Receiver ? 1 : 0;
    }
    return 0;
}

SimOutcome CSimDevice::HandleOutputReport(SimLink link, std::span<const std::uint8_t> report) {
    SimOutcome out;
    bool unplug = false;
    {
        std::lock_guard lock(m_mutex);
        const int l = static_cast<int>(link);
        if (!m_plugged[l]) {
            Log(link, SimDirection::HostToDevice, report, "rejected: link not plugged");
            return out;
        }
        if (report.size() != CommandPacket::kSize || report[0] != kCommandReportId) {
            Log(link, SimDirection::HostToDevice, report, "rejected: report id or length");
            return out;
        }
        if (CommandPacket::ComputeChecksum(report.data()) !=
            static_cast<std::uint16_t>(report[1] | (report[2] << 8))) {
            Log(link, SimDirection::HostToDevice, report, "rejected: checksum");
            return out;
        }
        const std::uint8_t command = report[3];
        CommandPacket reply = CommandPacket::Make(command);
        std::copy(report.begin() + 4, report.begin() + 7, reply.bytes.begin() + 4);

        if (link == SimLink::Receiver && command == 0xAA) {
            // the receiver itself answers the link query
            reply.Data()[0] = m_wirelessLinked ? 0xFF : 0x00;
            reply.UpdateChecksum();
            Log(link, SimDirection::HostToDevice, report, "");
            Log(link, SimDirection::DeviceToHost, reply.bytes, "");
            out.reports.push_back(
                {std::vector<std::uint8_t>(reply.bytes.begin(), reply.bytes.end()),
                 std::chrono::milliseconds(0)});
            return out;
        }
        if (link == SimLink::Receiver && !m_wirelessLinked) {
            reply.SetCommand(CommandPacket::kReceiverNoDevice);
            reply.UpdateChecksum();
            Log(link, SimDirection::HostToDevice, report, "receiver: wireless device absent");
            Log(link, SimDirection::DeviceToHost, reply.bytes, "");
            out.reports.push_back(
                {std::vector<std::uint8_t>(reply.bytes.begin(), reply.bytes.end()),
                 std::chrono::milliseconds(0)});
            return out;
        }

        const std::optional<SimFault> fault = TakeFault(link, command);
        std::chrono::milliseconds delay{0};
        int unrelated = 0;
        std::string note;
        if (fault) {
            switch (fault->kind) {
            case SimFaultKind::NoReply:
                Log(link, SimDirection::HostToDevice, report, "fault: no reply");
                return out;
            case SimFaultKind::UnplugBeforeReply:
                Log(link, SimDirection::HostToDevice, report, "fault: unplugged");
                m_plugged[l] = false;
                out.unplugLink = true;
                unplug = true;
                break;
            case SimFaultKind::StatusError:
            case SimFaultKind::StatusBusy:
                reply.SetStatus(fault->kind == SimFaultKind::StatusError
                                    ? CommandPacket::kStatusError
                                    : CommandPacket::kStatusBusy);
                note = "fault: status";
                break;
            case SimFaultKind::ReceiverNoDevice:
                reply.SetCommand(CommandPacket::kReceiverNoDevice);
                note = "fault: 0xAA";
                break;
            case SimFaultKind::LateReply:
                delay = fault->delay;
                break;
            case SimFaultKind::UnrelatedBeforeEcho:
                unrelated = 1;
                break;
            case SimFaultKind::TwoUnrelated:
                unrelated = 2;
                break;
            case SimFaultKind::StallWrites:
                break;
            }
        }
        if (!unplug) {
            if (note.empty()) {
                reply.SetStatus(Execute(link, report.data(), reply.bytes.data()));
                if (fault && fault->kind == SimFaultKind::LateReply)
                    note = "fault: late reply";
                else if (unrelated > 0)
                    note = "fault: unrelated report first";
            }
            Log(link, SimDirection::HostToDevice, report, note);
            for (int i = 0; i < unrelated; ++i) {
                CommandPacket other = CommandPacket::Make(
                    command == kUnrelatedCommand ? kUnrelatedCommand + 1 : kUnrelatedCommand);
                std::fill(other.bytes.begin() + 8, other.bytes.end(), 0xEE);
                other.UpdateChecksum();
                Log(link, SimDirection::DeviceToHost, other.bytes, "unrelated");
                out.reports.push_back(
                    {std::vector<std::uint8_t>(other.bytes.begin(), other.bytes.end()), delay});
            }
            reply.UpdateChecksum();
            Log(link, SimDirection::DeviceToHost, reply.bytes, "");
            out.reports.push_back(
                {std::vector<std::uint8_t>(reply.bytes.begin(), reply.bytes.end()), delay});
        }
    }
    if (unplug)
        if (auto host = Host())
            host->OnLinkChanged(*this, link, false);
    return out;
}

void CSimDevice::PlugCable() {
    {
        std::lock_guard lock(m_mutex);
        if (m_plugged[0])
            return;
        m_plugged[0] = true;
    }
    if (auto host = Host())
        host->OnLinkChanged(*this, SimLink::Cable, true);
}

void CSimDevice::UnplugCable() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_plugged[0])
            return;
        m_plugged[0] = false;
        m_session = false;
    }
    if (auto host = Host())
        host->OnLinkChanged(*this, SimLink::Cable, false);
}

void CSimDevice::PlugReceiver() {
    if (!HasReceiver())
        return;
    {
        std::lock_guard lock(m_mutex);
        if (m_plugged[1])
            return;
        m_plugged[1] = true;
    }
    if (auto host = Host())
        host->OnLinkChanged(*this, SimLink::Receiver, true);
}

void CSimDevice::UnplugReceiver() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_plugged[1])
            return;
        m_plugged[1] = false;
    }
    if (auto host = Host())
        host->OnLinkChanged(*this, SimLink::Receiver, false);
}

void CSimDevice::SetWirelessLink(bool linked) {
    std::lock_guard lock(m_mutex);
    m_wirelessLinked = linked;
}

bool CSimDevice::IsPlugged(SimLink link) const {
    std::lock_guard lock(m_mutex);
    return m_plugged[static_cast<int>(link)];
}

bool CSimDevice::IsWirelessLinked() const {
    std::lock_guard lock(m_mutex);
    return m_wirelessLinked;
}

std::vector<SimLink> CSimDevice::ReachableLinks() const {
    std::vector<SimLink> links;
    if (m_plugged[0])
        links.push_back(SimLink::Cable);
    if (m_plugged[1] && m_wirelessLinked)
        links.push_back(SimLink::Receiver);
    return links;
}

void CSimDevice::SendNotification(std::uint16_t code) {
    const std::vector<std::uint8_t> report = {kNotifyReportId,
                                              static_cast<std::uint8_t>(code & 0xFF),
                                              static_cast<std::uint8_t>(code >> 8)};
    std::vector<SimLink> links;
    {
        std::lock_guard lock(m_mutex);
        links = ReachableLinks();
        for (SimLink link : links)
            Log(link, SimDirection::DeviceToHost, report, "notification");
    }
    if (auto host = Host())
        for (SimLink link : links)
            host->DeliverInput(*this, link, report, std::chrono::milliseconds(0));
}

void CSimDevice::SwitchOnboardProfile(std::uint8_t index) {
    PokeByte(SimRegion::Param, 0, index);
    SendNotification(static_cast<std::uint16_t>(0x1000u | (index & 0x0Fu)));
}

std::vector<std::uint8_t> CSimDevice::Region(SimRegion region) const {
    std::lock_guard lock(m_mutex);
    auto it = m_regions.find(region);
    return it == m_regions.end() ? std::vector<std::uint8_t>{} : it->second;
}

void CSimDevice::PokeRegion(SimRegion region, std::size_t offset,
                            std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(m_mutex);
    auto it = m_regions.find(region);
    if (it == m_regions.end())
        return;
    for (std::size_t i = 0; i < bytes.size() && offset + i < it->second.size(); ++i)
        it->second[offset + i] = bytes[i];
}

void CSimDevice::PokeByte(SimRegion region, std::size_t offset, std::uint8_t value) {
    PokeRegion(region, offset, std::span<const std::uint8_t>(&value, 1));
}

void CSimDevice::SetBattery(std::uint8_t percent, std::uint8_t chargeState) {
    const std::uint8_t bytes[2] = {percent, chargeState};
    PokeRegion(SimRegion::Status, 0, bytes);
}

int CSimDevice::LiveFramesReceived() const {
    std::lock_guard lock(m_mutex);
    return m_liveFrames;
}

int CSimDevice::LightControlNotices() const {
    std::lock_guard lock(m_mutex);
    return m_lightControlNotices;
}

bool CSimDevice::InSession() const {
    std::lock_guard lock(m_mutex);
    return m_session;
}

int CSimDevice::SessionViolations() const {
    std::lock_guard lock(m_mutex);
    return m_sessionViolations;
}

void CSimDevice::InjectFault(const SimFault& fault) {
    if (fault.kind == SimFaultKind::StallWrites) {
        const SimLink link = fault.link.value_or(SimLink::Cable);
        if (auto host = Host())
            host->StallWrites(*this, link, fault.delay);
        return;
    }
    std::lock_guard lock(m_mutex);
    m_faults.push_back(PendingFault{fault, std::max(0, fault.skip), std::max(1, fault.count)});
}

void CSimDevice::ClearFaults() {
    std::lock_guard lock(m_mutex);
    m_faults.clear();
}

std::size_t CSimDevice::PendingFaults() const {
    std::lock_guard lock(m_mutex);
    return m_faults.size();
}

std::vector<SimPacketRecord> CSimDevice::PacketLog() const {
    std::lock_guard lock(m_mutex);
    return {m_log.begin(), m_log.end()};
}

std::vector<SimPacketRecord>
CSimDevice::AcceptedPackets(std::optional<std::uint8_t> command) const {
    std::lock_guard lock(m_mutex);
    std::vector<SimPacketRecord> out;
    for (const SimPacketRecord& r : m_log)
        if (r.direction == SimDirection::HostToDevice && r.note.rfind("rejected", 0) != 0 &&
            r.bytes.size() > 3 && (!command || r.bytes[3] == *command))
            out.push_back(r);
    return out;
}

void CSimDevice::ClearPacketLog() {
    std::lock_guard lock(m_mutex);
    m_log.clear();
}

} // namespace vpc::sim
