// The simulated HID bus: a backend for CHidDevice whose interfaces are the USB interfaces of
// simulated products. Every open of a node gets every input report, one report per read, as
// hidraw does; late reports and write stalls run on one scheduler thread.
#pragma once

#include "CSimDevice.h"
#include "CSimKeypad.h"
#include "CSimScheduler.h"
#include "EventFd.h"

#include "HidBackend.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vpc::sim {

class CSimConnection;

class CSimHidBackend : public hid::IHidBackend,
                       public ISimHost,
                       public std::enable_shared_from_this<CSimHidBackend> {
public:
    static constexpr const char* kPathPrefix = "sim:hid";

    static std::shared_ptr<CSimHidBackend> Create();
    ~CSimHidBackend() override;
    CSimHidBackend(const CSimHidBackend&) = delete;
    CSimHidBackend& operator=(const CSimHidBackend&) = delete;

    // A new keypad on this bus, not plugged in yet.
    std::shared_ptr<CSimKeypad> AddKeypad();
    // Puts any simulated product on this bus (unplugged until it plugs itself).
    void Attach(const std::shared_ptr<CSimDevice>& device);
    // Unplugs the product everywhere and forgets it.
    void Detach(const std::shared_ptr<CSimDevice>& device);

    // Paths of one plugged link of a product, as ListInterfaces gives them.
    std::vector<std::string> PathsOf(const CSimDevice& device, SimLink link) const;
    std::string CommandPath(const CSimDevice& device, SimLink link) const;
    std::string NotificationPath(const CSimDevice& device, SimLink link) const;
    // Opens that are registered for input now (closed ones drop out).
    std::size_t OpenConnectionCount() const;
    // Waits until every late report and stall end queued so far has happened, at most limit.
    bool WaitForDelayedWork(std::chrono::milliseconds limit);

    // IHidBackend
    bool ListInterfaces(std::vector<std::string>& paths) override;
    bool Handles(const std::string& path) const override;
    std::shared_ptr<hid::IHidConnection> Open(const std::string& path,
                                              const hid::HidOpenFlags& flags) override;

    // ISimHost
    // Readable after a product's link came or went, as the device folder's watch is.
    std::vector<int> ChangeDescriptors() override;
    bool TakeChanges() override;

    void OnLinkChanged(CSimDevice& device, SimLink link, bool present) override;
    void DeliverInput(CSimDevice& device, SimLink link, std::vector<std::uint8_t> report,
                      std::chrono::milliseconds delay) override;
    void StallWrites(CSimDevice& device, SimLink link, std::chrono::milliseconds span) override;

    // Called by connections.
    hid::HidIoResult HandleWrite(unsigned nodeId, const std::uint8_t* buffer, std::size_t size,
                                 std::size_t& written);

private:
    CSimHidBackend();

    struct Node {
        unsigned id = 0;
        std::shared_ptr<CSimDevice> device;
        SimLink link = SimLink::Cable;
        SimUsbIdentity identity;
        std::size_t collections = 1;
        bool stalled = false;
        std::vector<std::weak_ptr<CSimConnection>> connections;
    };

    Node* FindNode(const CSimDevice& device, SimLink link);
    const Node* FindNode(const CSimDevice& device, SimLink link) const;
    std::vector<std::string> PathsOfNode(const Node& node) const;
    void DeliverNow(unsigned nodeId, const std::vector<std::uint8_t>& report);
    void Unstall(unsigned nodeId);

    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<CSimDevice>> m_devices;
    std::map<unsigned, Node> m_nodes;
    unsigned m_nextNodeId = 0;

    CSimScheduler m_scheduler; // late reports and the ends of write stalls
    hid::EventFd m_changed;    // a link came or went
};

} // namespace vpc::sim
