#include "CSimHidrawHost.h"

#include <algorithm>

namespace vpc::hidemu {

using sim::CSimDevice;
using sim::SimLink;

std::shared_ptr<CSimHidrawHost> CSimHidrawHost::Create(CHidrawTestbed& testbed) {
    return std::shared_ptr<CSimHidrawHost>(new CSimHidrawHost(testbed));
}

CSimHidrawHost::CSimHidrawHost(CHidrawTestbed& testbed) : m_testbed(testbed) {}

CSimHidrawHost::~CSimHidrawHost() {
    m_scheduler.Stop();
    std::vector<std::string> nodes;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [key, node] : m_nodes)
            nodes.push_back(node);
        m_nodes.clear();
    }
    for (const std::string& node : nodes)
        m_testbed.Unplug(node);
}

void CSimHidrawHost::Attach(const std::shared_ptr<CSimDevice>& device) {
    if (!device)
        return;
    {
        std::lock_guard lock(m_mutex);
        if (std::find(m_devices.begin(), m_devices.end(), device) != m_devices.end())
            return;
        m_devices.push_back(device);
    }
    device->AttachHost(std::weak_ptr<sim::ISimHost>(shared_from_this()));
    for (SimLink link : {SimLink::Cable, SimLink::Receiver})
        if (device->IsPlugged(link))
            OnLinkChanged(*device, link, true);
}

std::string CSimHidrawHost::NodeOf(const CSimDevice& device, SimLink link) const {
    std::lock_guard lock(m_mutex);
    auto it = m_nodes.find({&device, link});
    return it == m_nodes.end() ? std::string() : it->second;
}

void CSimHidrawHost::OnLinkChanged(CSimDevice& device, SimLink link, bool present) {
    if (!present) {
        std::string node;
        {
            std::lock_guard lock(m_mutex);
            auto it = m_nodes.find({&device, link});
            if (it == m_nodes.end())
                return;
            node = it->second;
            m_nodes.erase(it);
        }
        m_testbed.Unplug(node);
        return;
    }
    std::weak_ptr<CSimDevice> weakDevice;
    {
        std::lock_guard lock(m_mutex);
        if (m_nodes.count({&device, link}) != 0)
            return;
        for (const auto& d : m_devices)
            if (d.get() == &device)
                weakDevice = d;
    }
    if (weakDevice.expired())
        return;
    const sim::SimUsbIdentity identity = device.Identity(link);
    EmulatedInterface iface;
    iface.vendorId = identity.vendorId;
    iface.productId = identity.productId;
    iface.version = identity.version;
    iface.interfaceNumber = identity.interfaceNumber;
    iface.name = identity.name;
    iface.reportDescriptor = identity.reportDescriptor;
    std::weak_ptr<CSimHidrawHost> weakHost = weak_from_this();
    auto node = std::make_shared<std::string>();
    // the firmware model answers on the FUSE server's thread; late answers go to the scheduler
    auto onWrite = [weakHost, weakDevice, link, node](std::span<const std::uint8_t> report) {
        auto host = weakHost.lock();
        auto target = weakDevice.lock();
        if (!host || !target)
            return;
        sim::SimOutcome outcome = target->HandleOutputReport(link, report);
        for (sim::SimReport& answer : outcome.reports)
            host->Send(*node, std::move(answer.bytes), answer.delay);
    };
    *node = m_testbed.Plug(iface, onWrite);
    if (node->empty())
        return;
    std::lock_guard lock(m_mutex);
    m_nodes[{&device, link}] = *node;
}

void CSimHidrawHost::DeliverInput(CSimDevice& device, SimLink link,
                                  std::vector<std::uint8_t> report,
                                  std::chrono::milliseconds delay) {
    const std::string node = NodeOf(device, link);
    if (!node.empty())
        Send(node, std::move(report), delay);
}

void CSimHidrawHost::StallWrites(CSimDevice&, SimLink, std::chrono::milliseconds) {}

void CSimHidrawHost::Send(const std::string& node, std::vector<std::uint8_t> report,
                          std::chrono::milliseconds delay) {
    if (delay.count() <= 0) {
        m_testbed.Deliver(node, report);
        return;
    }
    m_scheduler.At(sim::SimClock::now() + delay,
                   [this, node, bytes = std::move(report)] { m_testbed.Deliver(node, bytes); });
}

} // namespace vpc::hidemu
