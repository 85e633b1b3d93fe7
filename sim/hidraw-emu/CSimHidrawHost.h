// Puts simulated products behind emulated hidraw nodes: each plugged link becomes a hidraw
// interface of a CHidrawTestbed whose written reports go to the product's firmware model.
#pragma once

#include "CHidrawTestbed.h"
#include "CSimDevice.h"
#include "CSimScheduler.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vpc::hidemu {

class CSimHidrawHost : public sim::ISimHost, public std::enable_shared_from_this<CSimHidrawHost> {
public:
    // The testbed must outlive the host.
    static std::shared_ptr<CSimHidrawHost> Create(CHidrawTestbed& testbed);
    ~CSimHidrawHost() override;
    CSimHidrawHost(const CSimHidrawHost&) = delete;
    CSimHidrawHost& operator=(const CSimHidrawHost&) = delete;

    // Connects a product; links it has plugged already appear at once.
    void Attach(const std::shared_ptr<sim::CSimDevice>& device);
    // "hidrawN" of a plugged link, empty when that link is not plugged.
    std::string NodeOf(const sim::CSimDevice& device, sim::SimLink link) const;

    // ISimHost. Write stalls need a transport that can hold a write back; FUSE nodes answer
    // every write at once, so StallWrites is not available here and is ignored.
    void OnLinkChanged(sim::CSimDevice& device, sim::SimLink link, bool present) override;
    void DeliverInput(sim::CSimDevice& device, sim::SimLink link, std::vector<std::uint8_t> report,
                      std::chrono::milliseconds delay) override;
    void StallWrites(sim::CSimDevice& device, sim::SimLink link,
                     std::chrono::milliseconds span) override;

private:
    explicit CSimHidrawHost(CHidrawTestbed& testbed);
    void Send(const std::string& node, std::vector<std::uint8_t> report,
              std::chrono::milliseconds delay);

    CHidrawTestbed& m_testbed;
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<sim::CSimDevice>> m_devices;
    std::map<std::pair<const sim::CSimDevice*, sim::SimLink>, std::string> m_nodes;
    sim::CSimScheduler m_scheduler; // late reports
};

} // namespace vpc::hidemu
