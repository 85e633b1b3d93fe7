#include "HidrawBackend.h"

#include "HidPath.h"
#include "HidReportDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vpc::hid {

namespace {

constexpr std::size_t kMaxSysfsFile = 16384;

// Reads a small sysfs file whole; nothing on any error or when it is too large.
std::optional<std::string> ReadSmallFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::string data;
    char chunk[4096];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        if (n == 0)
            break;
        data.append(chunk, static_cast<std::size_t>(n));
        if (data.size() > kMaxSysfsFile) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    if (!ok)
        return std::nullopt;
    return data;
}

std::optional<std::string> UeventField(const std::string& uevent, std::string_view key) {
    std::size_t pos = 0;
    while (pos < uevent.size()) {
        std::size_t end = uevent.find('\n', pos);
        if (end == std::string::npos)
            end = uevent.size();
        std::string_view line(uevent.data() + pos, end - pos);
        if (line.size() > key.size() && line.substr(0, key.size()) == key &&
            line[key.size()] == '=')
            return std::string(line.substr(key.size() + 1));
        pos = end + 1;
    }
    return std::nullopt;
}

bool ParseHex(std::string_view text, std::uint32_t& out) {
    if (text.empty())
        return false;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out, 16);
    return ec == std::errc() && ptr == text.data() + text.size();
}

int HidrawNumber(const std::string& name) {
    int n = -1;
    if (name.rfind("hidraw", 0) == 0) {
        auto [ptr, ec] = std::from_chars(name.data() + 6, name.data() + name.size(), n);
        if (ec != std::errc() || ptr != name.data() + name.size())
            n = -1;
    }
    return n;
}

class CHidrawConnection : public IHidConnection {
public:
    CHidrawConnection(int fd, HidrawNodeInfo node) : m_fd(fd), m_node(std::move(node)) {}
    ~CHidrawConnection() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CHidrawConnection(const CHidrawConnection&) = delete;
    CHidrawConnection& operator=(const CHidrawConnection&) = delete;

    HidAttributes Attributes() const override { return m_node.attributes; }
    const std::vector<std::uint8_t>& ReportDescriptor() const override {
        return m_node.reportDescriptor;
    }
    pollfd ReadPoll() const override { return {m_fd, POLLIN, 0}; }
    pollfd WritePoll() const override { return {m_fd, POLLOUT, 0}; }

    HidIoResult ReadReport(std::uint8_t* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        const ssize_t n = ::read(m_fd, buffer, size);
        if (n > 0) {
            got = static_cast<std::size_t>(n);
            return HidIoResult::Ok;
        }
        if (n == 0)
            return HidIoResult::Gone;
        return Classify(errno);
    }

    HidIoResult WriteReport(const std::uint8_t* buffer, std::size_t size,
                            std::size_t& written) override {
        written = 0;
        const ssize_t n = ::write(m_fd, buffer, size);
        if (n >= 0) {
            written = static_cast<std::size_t>(n);
            return HidIoResult::Ok;
        }
        return Classify(errno);
    }

    bool SendOutputReport(const std::uint8_t* buffer, std::size_t size) override {
#ifdef HIDIOCSOUTPUT
        std::vector<std::uint8_t> copy(buffer, buffer + size);
        const int rc = ::ioctl(m_fd, HIDIOCSOUTPUT(size), copy.data());
        if (rc >= 0)
            return true;
        if (errno != ENOTTY && errno != EINVAL && errno != ENOSYS)
            return false;
#endif
        return IHidConnection::SendOutputReport(buffer, size);
    }

private:
    static HidIoResult Classify(int error) {
        switch (error) {
        case EAGAIN:
        case EINTR:
            return HidIoResult::WouldBlock;
        case EIO:
        case ENODEV:
        case ENXIO:
        case ESHUTDOWN:
        case EPIPE:
            return HidIoResult::Gone;
        default:
            return HidIoResult::Error;
        }
    }

    int m_fd;
    HidrawNodeInfo m_node;
};

} // namespace

CHidrawBackend::CHidrawBackend(std::string sysfsRoot, std::string devRoot)
    : m_sysfsRoot(std::move(sysfsRoot)), m_devRoot(std::move(devRoot)) {}

CHidrawBackend::~CHidrawBackend() {
    if (m_watchFd >= 0)
        ::close(m_watchFd);
}

std::vector<int> CHidrawBackend::ChangeDescriptors() {
    const std::lock_guard guard(m_watchLock);
    if (m_watchFd < 0) {
        const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (fd < 0)
            return {};
        constexpr std::uint32_t kMask =
            IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF;
        if (::inotify_add_watch(fd, m_devRoot.c_str(), kMask) < 0) {
            ::close(fd);
            return {};
        }
        m_watchFd = fd;
    }
    return {m_watchFd};
}

bool CHidrawBackend::TakeChanges() {
    const std::lock_guard guard(m_watchLock);
    if (m_watchFd < 0)
        return false;
    bool relevant = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_watchFd, buffer, sizeof buffer);
        if (n <= 0)
            break; // EAGAIN: all taken
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            const std::string_view name(event->len > 0 ? event->name : "");
            if ((event->mask & (IN_Q_OVERFLOW | IN_DELETE_SELF)) != 0 ||
                name.rfind("hidraw", 0) == 0)
                relevant = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return relevant;
}

void CHidrawBackend::SetLogSink(LogSink sink) {
    const std::lock_guard guard(m_knownLock);
    m_logSink = std::move(sink);
}

std::optional<HidrawNodeInfo> CHidrawBackend::ReadNode(const std::string& name,
                                                       std::string* refusal) const {
    if (HidrawNumber(name) < 0)
        return std::nullopt;
    const std::string classDir = m_sysfsRoot + "/class/hidraw/" + name;
    auto deviceUevent = ReadSmallFile(classDir + "/device/uevent");
    auto descriptor = ReadSmallFile(classDir + "/device/report_descriptor");
    if (!deviceUevent || !descriptor || descriptor->empty())
        return std::nullopt;
    HidrawNodeInfo node;
    node.name = name;
    std::string devName = name;
    if (auto classUevent = ReadSmallFile(classDir + "/uevent"))
        if (auto dev = UeventField(*classUevent, "DEVNAME");
            dev && !dev->empty() && dev->find("..") == std::string::npos)
            devName = *dev;
    node.devNode = m_devRoot + "/" + devName;

    // HID_ID=0003:0000320F:00005055
    auto id = UeventField(*deviceUevent, "HID_ID");
    if (!id)
        return std::nullopt;
    const std::size_t c1 = id->find(':');
    const std::size_t c2 = c1 == std::string::npos ? c1 : id->find(':', c1 + 1);
    std::uint32_t bus = 0, vendor = 0, product = 0;
    if (c2 == std::string::npos || !ParseHex(std::string_view(*id).substr(0, c1), bus) ||
        !ParseHex(std::string_view(*id).substr(c1 + 1, c2 - c1 - 1), vendor) ||
        !ParseHex(std::string_view(*id).substr(c2 + 1), product) || vendor > 0xFFFF ||
        product > 0xFFFF)
        return std::nullopt;
    node.busType = static_cast<std::uint16_t>(bus);
    node.attributes.vendorId = static_cast<std::uint16_t>(vendor);
    node.attributes.productId = static_cast<std::uint16_t>(product);
    if (auto bcd = ReadSmallFile(classDir + "/device/../../bcdDevice")) {
        std::uint32_t version = 0;
        std::string text = *bcd;
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        if (ParseHex(text, version) && version <= 0xFFFF)
            node.attributes.versionNumber = static_cast<std::uint16_t>(version);
    }
    if (auto phys = UeventField(*deviceUevent, "HID_PHYS")) {
        const std::size_t at = phys->rfind("/input");
        if (at != std::string::npos) {
            int number = -1;
            const char* first = phys->data() + at + 6;
            const char* last = phys->data() + phys->size();
            auto [ptr, ec] = std::from_chars(first, last, number);
            if (ec == std::errc() && ptr == last && number >= 0 && number <= 255)
                node.interfaceNumber = number;
        }
    }
    node.hidName = UeventField(*deviceUevent, "HID_NAME").value_or("");
    node.reportDescriptor.assign(descriptor->begin(), descriptor->end());
    std::string why;
    auto collections = ParseReportDescriptor(node.reportDescriptor, &why);
    if (!collections) {
        if (refusal)
            *refusal = why;
        return std::nullopt;
    }
    node.collectionCount = collections->size();
    return node;
}

std::string CHidrawBackend::MakePath(const HidrawNodeInfo& node, unsigned collectionNumber) {
    return node.devNode + "#" +
           MakeInterfaceTail(node.attributes.vendorId, node.attributes.productId,
                             node.interfaceNumber, collectionNumber);
}

std::string CHidrawBackend::NodeIdentity(const std::string& name) const {
    if (HidrawNumber(name) < 0)
        return {};
    const std::string classEntry = m_sysfsRoot + "/class/hidraw/" + name;
    char link[4096];
    const ssize_t length = ::readlink(classEntry.c_str(), link, sizeof link);
    std::string identity(link, length > 0 ? static_cast<std::size_t>(length) : 0);
    struct stat descriptor {};
    if (::stat((classEntry + "/device/report_descriptor").c_str(), &descriptor) != 0)
        return {};
    identity += '|' + std::to_string(descriptor.st_dev) + ':' + std::to_string(descriptor.st_ino) +
                ':' + std::to_string(descriptor.st_mtim.tv_sec) + '.' +
                std::to_string(descriptor.st_mtim.tv_nsec);
    return identity;
}

std::optional<HidrawNodeInfo> CHidrawBackend::KnownNode(const std::string& name) {
    const std::string identity = NodeIdentity(name);
    if (identity.empty())
        return ReadNode(name);
    {
        const std::lock_guard guard(m_knownLock);
        const auto known = m_known.find(name);
        if (known != m_known.end() && known->second.identity == identity)
            return known->second.info;
        const auto refused = m_refused.find(name);
        if (refused != m_refused.end() && refused->second == identity)
            return std::nullopt; // said once already; the same device is not parsed again
    }
    std::string refusal;
    auto node = ReadNode(name, &refusal);
    const std::lock_guard guard(m_knownLock);
    if (node) {
        m_known[name] = {identity, *node};
        m_refused.erase(name);
    } else {
        m_known.erase(name); // read again next time: it may be readable then
        if (!refusal.empty()) {
            m_refused[name] = identity;
            const std::string line = "hidraw: " + m_devRoot + "/" + name +
                                     " left out: its report descriptor is malformed (" + refusal +
                                     ")";
            if (m_logSink)
                m_logSink(line);
            else
                std::fprintf(stderr, "%s\n", line.c_str());
        }
    }
    return node;
}

bool CHidrawBackend::ListInterfaces(std::vector<std::string>& paths) {
    paths.clear();
    const std::string dir = m_sysfsRoot + "/class/hidraw";
    DIR* handle = ::opendir(dir.c_str());
    if (handle == nullptr)
        return errno == ENOENT; // no hidraw class: no interfaces
    std::vector<std::pair<int, std::string>> names;
    while (dirent* entry = ::readdir(handle)) {
        std::string name = entry->d_name;
        const int number = HidrawNumber(name);
        if (number >= 0)
            names.emplace_back(number, std::move(name));
    }
    ::closedir(handle);
    std::sort(names.begin(), names.end());
    {
        // nodes that are gone are forgotten
        const std::lock_guard guard(m_knownLock);
        const auto gone = [&names](const auto& entry) {
            return std::none_of(names.begin(), names.end(), [&entry](const auto& listed) {
                return listed.second == entry.first;
            });
        };
        std::erase_if(m_known, gone);
        std::erase_if(m_refused, gone);
    }
    for (const auto& [number, name] : names) {
        // a node that vanished or cannot be read is skipped; the rest are still listed
        auto node = KnownNode(name);
        if (!node)
            continue;
        if (node->collectionCount == 1) {
            paths.push_back(MakePath(*node, 0));
            continue;
        }
        for (std::size_t c = 1; c <= node->collectionCount; ++c)
            paths.push_back(MakePath(*node, static_cast<unsigned>(c)));
    }
    return true;
}

bool CHidrawBackend::Handles(const std::string& path) const {
    return path.rfind(m_devRoot + "/", 0) == 0 && path.find('#') != std::string::npos;
}

std::shared_ptr<IHidConnection> CHidrawBackend::Open(const std::string& path,
                                                     const HidOpenFlags& flags) {
    if (!Handles(path))
        return nullptr;
    const std::string devNode = path.substr(0, path.find('#'));
    const std::string name = devNode.substr(devNode.rfind('/') + 1);
    auto node = KnownNode(name);
    if (!node || node->devNode != devNode)
        return nullptr;
    // the node number may have passed to another device since the path was listed
    const std::string_view tail(path);
    if (PathVendorId(tail) != node->attributes.vendorId ||
        PathProductId(tail) != node->attributes.productId ||
        FindHexField(tail, "&mi_").value_or(0xFFFFFFFFu) !=
            (node->interfaceNumber < 0 ? 0xFFFFFFFFu
                                       : static_cast<std::uint32_t>(node->interfaceNumber)))
        return nullptr;
    int mode = O_PATH;
    if (flags.read && flags.write)
        mode = O_RDWR;
    else if (flags.read)
        mode = O_RDONLY;
    else if (flags.write)
        mode = O_WRONLY;
    if (mode != O_PATH)
        mode |= O_NONBLOCK;
    const int fd = ::open(devNode.c_str(), mode | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return std::make_shared<CHidrawConnection>(fd, std::move(*node));
}

} // namespace vpc::hid
