#include "CSimHidBackend.h"

#include "HidPath.h"
#include "HidReportDescriptor.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <deque>

#include <sys/eventfd.h>
#include <unistd.h>

namespace vpc::sim {

using hid::HidIoResult;

// One open of a simulated node: a queue of whole input reports and two eventfds that say
// "a report (or the hang-up) is waiting" and "a write would go through".
class CSimConnection : public hid::IHidConnection {
public:
    static constexpr std::size_t kQueueLimit = 64; // hidraw keeps as many per open file

    // Without transfers (an open only to see that the node is there, as discovery makes
    // ten times a second) there is nothing to wait for and no eventfd is made.
    CSimConnection(std::weak_ptr<CSimHidBackend> bus, unsigned nodeId,
                   const SimUsbIdentity& identity, bool writable, bool transfers)
        : m_bus(std::move(bus)), m_nodeId(nodeId), m_transfers(transfers),
          m_readFd(transfers ? ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK) : -1),
          m_writeFd(transfers ? ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK) : -1),
          m_descriptor(identity.reportDescriptor) {
        m_attributes.vendorId = identity.vendorId;
        m_attributes.productId = identity.productId;
        m_attributes.versionNumber = identity.version;
        SetWritable(writable);
    }
    ~CSimConnection() override {
        if (m_readFd >= 0)
            ::close(m_readFd);
        if (m_writeFd >= 0)
            ::close(m_writeFd);
    }
    CSimConnection(const CSimConnection&) = delete;
    CSimConnection& operator=(const CSimConnection&) = delete;

    bool Valid() const { return !m_transfers || (m_readFd >= 0 && m_writeFd >= 0); }

    hid::HidAttributes Attributes() const override { return m_attributes; }
    const std::vector<std::uint8_t>& ReportDescriptor() const override { return m_descriptor; }
    pollfd ReadPoll() const override { return {m_readFd, POLLIN, 0}; }
    pollfd WritePoll() const override { return {m_writeFd, POLLIN, 0}; }

    HidIoResult ReadReport(std::uint8_t* buffer, std::size_t size, std::size_t& got) override {
        std::lock_guard lock(m_mutex);
        got = 0;
        if (m_queue.empty()) {
            if (m_gone)
                return HidIoResult::Gone;
            Signal(m_readFd, m_readable, false);
            return HidIoResult::WouldBlock;
        }
        const std::vector<std::uint8_t>& report = m_queue.front();
        got = std::min(size, report.size());
        std::memcpy(buffer, report.data(), got);
        m_queue.pop_front();
        if (m_queue.empty() && !m_gone)
            Signal(m_readFd, m_readable, false);
        return HidIoResult::Ok;
    }

    HidIoResult WriteReport(const std::uint8_t* buffer, std::size_t size,
                            std::size_t& written) override {
        written = 0;
        {
            std::lock_guard lock(m_mutex);
            if (m_gone)
                return HidIoResult::Gone;
        }
        auto bus = m_bus.lock();
        if (!bus)
            return HidIoResult::Gone;
        return bus->HandleWrite(m_nodeId, buffer, size, written);
    }

    void Push(const std::vector<std::uint8_t>& report) {
        std::lock_guard lock(m_mutex);
        if (m_gone)
            return;
        if (m_queue.size() >= kQueueLimit)
            m_queue.pop_front();
        m_queue.push_back(report);
        Signal(m_readFd, m_readable, true);
    }

    void MarkGone() {
        std::lock_guard lock(m_mutex);
        m_gone = true;
        Signal(m_readFd, m_readable, true);
        Signal(m_writeFd, m_writable, true);
    }

    void SetWritable(bool writable) {
        std::lock_guard lock(m_mutex);
        Signal(m_writeFd, m_writable, writable || m_gone);
    }

private:
    // Keeps an eventfd readable exactly while state is true.
    static void Signal(int fd, bool& current, bool wanted) {
        if (current == wanted || fd < 0)
            return;
        std::uint64_t value = 1;
        if (wanted) [[maybe_unused]]
            ssize_t n = ::write(fd, &value, sizeof value);
        else [[maybe_unused]]
            ssize_t n = ::read(fd, &value, sizeof value);
        current = wanted;
    }

    std::weak_ptr<CSimHidBackend> m_bus;
    unsigned m_nodeId;
    bool m_transfers;
    int m_readFd;
    int m_writeFd;
    hid::HidAttributes m_attributes;
    std::vector<std::uint8_t> m_descriptor;

    std::mutex m_mutex;
    std::deque<std::vector<std::uint8_t>> m_queue;
    bool m_gone = false;
    bool m_readable = false;
    bool m_writable = false;
};

std::shared_ptr<CSimHidBackend> CSimHidBackend::Create() {
    auto bus = std::shared_ptr<CSimHidBackend>(new CSimHidBackend());
    return bus;
}

CSimHidBackend::CSimHidBackend() = default;

CSimHidBackend::~CSimHidBackend() {
    m_scheduler.Stop();
    std::lock_guard lock(m_mutex);
    for (auto& [id, node] : m_nodes)
        for (auto& weak : node.connections)
            if (auto connection = weak.lock())
                connection->MarkGone();
}

std::shared_ptr<CSimKeypad> CSimHidBackend::AddKeypad() {
    auto keypad = CSimKeypad::Create();
    Attach(keypad);
    return keypad;
}

void CSimHidBackend::Attach(const std::shared_ptr<CSimDevice>& device) {
    if (!device)
        return;
    {
        std::lock_guard lock(m_mutex);
        if (std::find(m_devices.begin(), m_devices.end(), device) != m_devices.end())
            return;
        m_devices.push_back(device);
    }
    device->AttachHost(std::weak_ptr<ISimHost>(shared_from_this()));
    // links that were plugged before the device met this bus appear now
    for (SimLink link : {SimLink::Cable, SimLink::Receiver})
        if (device->IsPlugged(link))
            OnLinkChanged(*device, link, true);
}

void CSimHidBackend::Detach(const std::shared_ptr<CSimDevice>& device) {
    if (!device)
        return;
    device->UnplugCable();
    device->UnplugReceiver();
    device->AttachHost({});
    std::lock_guard lock(m_mutex);
    m_devices.erase(std::remove(m_devices.begin(), m_devices.end(), device), m_devices.end());
}

CSimHidBackend::Node* CSimHidBackend::FindNode(const CSimDevice& device, SimLink link) {
    for (auto& [id, node] : m_nodes)
        if (node.device.get() == &device && node.link == link)
            return &node;
    return nullptr;
}

const CSimHidBackend::Node* CSimHidBackend::FindNode(const CSimDevice& device, SimLink link) const {
    for (const auto& [id, node] : m_nodes)
        if (node.device.get() == &device && node.link == link)
            return &node;
    return nullptr;
}

std::vector<std::string> CSimHidBackend::PathsOfNode(const Node& node) const {
    std::vector<std::string> paths;
    const std::string head = std::string(kPathPrefix) + std::to_string(node.id) + "#";
    if (node.collections == 1) {
        paths.push_back(head + hid::MakeInterfaceTail(node.identity.vendorId,
                                                      node.identity.productId,
                                                      node.identity.interfaceNumber, 0));
        return paths;
    }
    for (std::size_t c = 1; c <= node.collections; ++c)
        paths.push_back(
            head + hid::MakeInterfaceTail(node.identity.vendorId, node.identity.productId,
                                          node.identity.interfaceNumber, static_cast<unsigned>(c)));
    return paths;
}

std::vector<std::string> CSimHidBackend::PathsOf(const CSimDevice& device, SimLink link) const {
    std::lock_guard lock(m_mutex);
    const Node* node = FindNode(device, link);
    return node ? PathsOfNode(*node) : std::vector<std::string>{};
}

std::string CSimHidBackend::CommandPath(const CSimDevice& device, SimLink link) const {
    for (const std::string& path : PathsOf(device, link))
        if (hid::PathCollectionNumber(path) == device.CommandCollection())
            return path;
    return {};
}

std::string CSimHidBackend::NotificationPath(const CSimDevice& device, SimLink link) const {
    for (const std::string& path : PathsOf(device, link))
        if (hid::PathCollectionNumber(path) == device.NotificationCollection())
            return path;
    return {};
}

std::size_t CSimHidBackend::OpenConnectionCount() const {
    std::lock_guard lock(m_mutex);
    std::size_t count = 0;
    for (const auto& [id, node] : m_nodes)
        for (const auto& weak : node.connections)
            if (!weak.expired())
                ++count;
    return count;
}

bool CSimHidBackend::ListInterfaces(std::vector<std::string>& paths) {
    paths.clear();
    std::lock_guard lock(m_mutex);
    for (const auto& [id, node] : m_nodes) {
        auto more = PathsOfNode(node);
        paths.insert(paths.end(), more.begin(), more.end());
    }
    return true;
}

bool CSimHidBackend::Handles(const std::string& path) const {
    return path.rfind(kPathPrefix, 0) == 0;
}

std::shared_ptr<hid::IHidConnection> CSimHidBackend::Open(const std::string& path,
                                                          const hid::HidOpenFlags& flags) {
    if (!Handles(path))
        return nullptr;
    const std::size_t start = std::char_traits<char>::length(kPathPrefix);
    unsigned id = 0;
    const char* first = path.data() + start;
    const char* last = path.data() + path.size();
    auto [ptr, ec] = std::from_chars(first, last, id);
    if (ec != std::errc() || ptr == last || *ptr != '#')
        return nullptr;
    std::lock_guard lock(m_mutex);
    auto it = m_nodes.find(id);
    if (it == m_nodes.end())
        return nullptr;
    Node& node = it->second;
    // the path's numbers must still name this node
    if (hid::PathVendorId(path) != node.identity.vendorId ||
        hid::PathProductId(path) != node.identity.productId)
        return nullptr;
    auto connection = std::make_shared<CSimConnection>(weak_from_this(), id, node.identity,
                                                       !node.stalled, flags.read || flags.write);
    if (!connection->Valid())
        return nullptr;
    if (flags.read || flags.write) {
        std::erase_if(node.connections, [](const auto& weak) { return weak.expired(); });
        node.connections.push_back(connection);
    }
    return connection;
}

std::vector<int> CSimHidBackend::ChangeDescriptors() {
    if (!m_changed.IsValid())
        return {};
    return {m_changed.Fd()};
}

bool CSimHidBackend::TakeChanges() {
    return m_changed.Drain();
}

void CSimHidBackend::OnLinkChanged(CSimDevice& device, SimLink link, bool present) {
    // said once the node list is changed, whichever way this returns
    struct SayChanged {
        const hid::EventFd& changed;
        ~SayChanged() { changed.Signal(); }
    } sayChanged{m_changed};
    if (present) {
        SimUsbIdentity identity = device.Identity(link);
        auto collections = hid::ParseReportDescriptor(identity.reportDescriptor);
        std::lock_guard lock(m_mutex);
        if (FindNode(device, link))
            return;
        std::shared_ptr<CSimDevice> owner;
        for (const auto& d : m_devices)
            if (d.get() == &device)
                owner = d;
        if (!owner)
            return;
        Node node;
        node.id = m_nextNodeId++;
        node.device = owner;
        node.link = link;
        node.collections = collections ? collections->size() : 1;
        node.identity = std::move(identity);
        m_nodes.emplace(node.id, std::move(node));
        return;
    }
    std::lock_guard lock(m_mutex);
    Node* node = FindNode(device, link);
    if (!node)
        return;
    for (auto& weak : node->connections)
        if (auto connection = weak.lock())
            connection->MarkGone();
    m_nodes.erase(node->id);
}

void CSimHidBackend::DeliverNow(unsigned nodeId, const std::vector<std::uint8_t>& report) {
    std::lock_guard lock(m_mutex);
    auto it = m_nodes.find(nodeId);
    if (it == m_nodes.end())
        return; // unplugged meanwhile: the report is lost, as on a real bus
    for (auto& weak : it->second.connections)
        if (auto connection = weak.lock())
            connection->Push(report);
}

void CSimHidBackend::DeliverInput(CSimDevice& device, SimLink link,
                                  std::vector<std::uint8_t> report,
                                  std::chrono::milliseconds delay) {
    unsigned nodeId = 0;
    {
        std::lock_guard lock(m_mutex);
        const Node* node = FindNode(device, link);
        if (!node)
            return;
        nodeId = node->id;
    }
    if (delay.count() <= 0)
        DeliverNow(nodeId, report);
    else
        m_scheduler.At(SimClock::now() + delay,
                       [this, nodeId, report = std::move(report)] { DeliverNow(nodeId, report); });
}

bool CSimHidBackend::WaitForDelayedWork(std::chrono::milliseconds limit) {
    return m_scheduler.WaitUntilIdle(limit);
}

void CSimHidBackend::StallWrites(CSimDevice& device, SimLink link, std::chrono::milliseconds span) {
    unsigned nodeId = 0;
    {
        std::lock_guard lock(m_mutex);
        Node* node = FindNode(device, link);
        if (!node)
            return;
        node->stalled = true;
        nodeId = node->id;
        for (auto& weak : node->connections)
            if (auto connection = weak.lock())
                connection->SetWritable(false);
    }
    m_scheduler.At(SimClock::now() + span, [this, nodeId] { Unstall(nodeId); });
}

hid::HidIoResult CSimHidBackend::HandleWrite(unsigned nodeId, const std::uint8_t* buffer,
                                             std::size_t size, std::size_t& written) {
    written = 0;
    std::shared_ptr<CSimDevice> device;
    SimLink link = SimLink::Cable;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_nodes.find(nodeId);
        if (it == m_nodes.end())
            return HidIoResult::Gone;
        if (it->second.stalled)
            return HidIoResult::WouldBlock;
        device = it->second.device;
        link = it->second.link;
    }
    SimOutcome outcome =
        device->HandleOutputReport(link, std::span<const std::uint8_t>(buffer, size));
    written = size;
    const auto now = SimClock::now();
    for (SimReport& report : outcome.reports) {
        if (report.delay.count() <= 0)
            DeliverNow(nodeId, report.bytes);
        else
            m_scheduler.At(now + report.delay, [this, nodeId, bytes = std::move(report.bytes)] {
                DeliverNow(nodeId, bytes);
            });
    }
    return HidIoResult::Ok;
}

void CSimHidBackend::Unstall(unsigned nodeId) {
    std::lock_guard lock(m_mutex);
    auto it = m_nodes.find(nodeId);
    if (it == m_nodes.end())
        return;
    it->second.stalled = false;
    for (auto& weak : it->second.connections)
        if (auto connection = weak.lock())
            connection->SetWritable(true);
}

} // namespace vpc::sim
