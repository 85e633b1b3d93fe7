// A umockdev sysfs testbed of hidraw interfaces (uevent, binary report descriptor, USB parents)
// whose /dev nodes are served by CFuseHidrawServer, so the hidraw backend runs unchanged on it.
#pragma once

#include "CFuseHidrawServer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <span>
#include <string>
#include <vector>

typedef struct _UMockdevTestbed UMockdevTestbed;

namespace vpc::hidemu {

// What one emulated USB HID interface shows in sysfs.
struct EmulatedInterface {
    std::uint16_t busType = 3; // USB
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t version = 0;
    int interfaceNumber = 0; // below 0: HID_PHYS without "/inputN"
    std::string name;
    std::vector<std::uint8_t> reportDescriptor;
};

class CHidrawTestbed {
public:
    // Needs the umockdev preload in this process (see HidrawEmuProcess.h). withNodes also
    // mounts the FUSE node server (root only); without it only sysfs is emulated.
    static std::unique_ptr<CHidrawTestbed> Create(bool withNodes, std::string* why);
    ~CHidrawTestbed();
    CHidrawTestbed(const CHidrawTestbed&) = delete;
    CHidrawTestbed& operator=(const CHidrawTestbed&) = delete;

    // Plugs an interface in under the lowest free hidrawN; returns that name, empty on failure.
    // onWrite gets every report a client writes to the node.
    std::string Plug(const EmulatedInterface& iface, CFuseHidrawServer::WriteHandler onWrite = {});
    // Unplugs it: open files see the hang-up, the node and the sysfs entries disappear.
    bool Unplug(const std::string& name);
    // Sends an input report to every open of the node.
    void Deliver(const std::string& name, std::span<const std::uint8_t> report);

    static std::string DevNode(const std::string& name) { return "/dev/" + name; }
    // The testbed's sysfs folder of the hidraw class device (for tests that damage entries).
    std::string ClassDir(const std::string& name) const;
    std::string RootDir() const { return m_root; }
    CFuseHidrawServer* Nodes() { return m_nodes.get(); }
    std::size_t PluggedCount() const;

private:
    struct Plugged {
        std::vector<std::string> sysPaths; // parents first
    };

    CHidrawTestbed() = default;

    mutable std::mutex m_mutex; // umockdev is not thread-safe
    UMockdevTestbed* m_testbed = nullptr;
    std::string m_root;
    std::unique_ptr<CFuseHidrawServer> m_nodes;
    std::map<std::string, Plugged> m_plugged;
    unsigned m_nextSerial = 1;
};

} // namespace vpc::hidemu
