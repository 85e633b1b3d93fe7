// HID backend over Linux hidraw: lists /sys/class/hidraw with one path per top-level
// collection and moves reports through /dev/hidrawN with plain non-blocking POSIX I/O.
#pragma once

#include "HidBackend.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace vpc::hid {

// What sysfs says about one hidraw node.
struct HidrawNodeInfo {
    std::string name;    // "hidraw3"
    std::string devNode; // "/dev/hidraw3"
    std::uint16_t busType = 0;
    HidAttributes attributes;
    int interfaceNumber = -1; // from HID_PHYS ".../inputN"; -1 when absent
    std::string hidName;
    std::vector<std::uint8_t> reportDescriptor;
    std::size_t collectionCount = 0;
};

class CHidrawBackend : public IHidBackend {
public:
    // The roots are "/sys" and "/dev" on a running system; tests may point them elsewhere.
    explicit CHidrawBackend(std::string sysfsRoot = "/sys", std::string devRoot = "/dev");

    bool ListInterfaces(std::vector<std::string>& paths) override;
    bool Handles(const std::string& path) const override;
    std::shared_ptr<IHidConnection> Open(const std::string& path,
                                         const HidOpenFlags& flags) override;
    // An inotify watch on the device folder: hidraw nodes made, removed or given other
    // permissions (udev's access rule) make it readable.
    std::vector<int> ChangeDescriptors() override;
    bool TakeChanges() override;
    ~CHidrawBackend() override;
    CHidrawBackend(const CHidrawBackend&) = delete;
    CHidrawBackend& operator=(const CHidrawBackend&) = delete;

    // Reads one node's sysfs entries; nothing when any of them is missing or malformed.
    // A report descriptor that the parser refuses puts the reason in refusal.
    std::optional<HidrawNodeInfo> ReadNode(const std::string& name,
                                           std::string* refusal = nullptr) const;

    // Where the backend says why it passes over a node (once per device behind a node
    // name). Standard error when none is set.
    using LogSink = std::function<void(const std::string& line)>;
    void SetLogSink(LogSink sink);
    // "<devnode>#vid_XXXX&pid_XXXX&mi_NN&colNN"
    static std::string MakePath(const HidrawNodeInfo& node, unsigned collectionNumber);

private:
    // ReadNode for listing and opening: the entries are read and the descriptor parsed
    // again only when the node now belongs to another device (discovery lists every
    // node ten times a second).
    std::optional<HidrawNodeInfo> KnownNode(const std::string& name);
    // What tells one device behind a node name from the next: where the class entry
    // links to (the kernel's HID device numbers are never reused) and the descriptor
    // file's inode and time. Empty when it cannot be read.
    std::string NodeIdentity(const std::string& name) const;

    std::string m_sysfsRoot;
    std::string m_devRoot;
    struct KnownNodeEntry {
        std::string identity;
        HidrawNodeInfo info;
    };
    std::mutex m_knownLock;
    std::map<std::string, KnownNodeEntry> m_known;
    // nodes whose descriptor was refused, by name, with the identity that was refused
    std::map<std::string, std::string> m_refused;
    LogSink m_logSink;
    std::mutex m_watchLock;
    int m_watchFd = -1; // inotify, made on first use
};

} // namespace vpc::hid
