#include "DiscoveryThread.h"

#include "CHidDevice.h"
#include "DeviceLog.h"

#include <cerrno>

#include <poll.h>
#include <pthread.h>

#include <sys/stat.h>
#include <unistd.h>

namespace vpc::devices {

bool HidrawAccessDenied(const std::string& path) {
    const std::size_t hash = path.find('#');
    if (hash == std::string::npos || path.empty() || path[0] != '/')
        return false;
    const std::string node = path.substr(0, hash);
    struct stat info {};
    if (::stat(node.c_str(), &info) != 0)
        return false;
    return ::access(node.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
}

CDiscoveryThread::CDiscoveryThread(CSlotList& slotList, IDiscoverySink& sink,
                                   std::shared_ptr<hid::IHidBackend> backend)
    : m_slots(slotList), m_sink(sink), m_backend(std::move(backend)),
      m_accessProbe(HidrawAccessDenied) {}

CDiscoveryThread::~CDiscoveryThread() {
    Stop();
}

bool CDiscoveryThread::Start() {
    if (m_thread.joinable())
        return false;
    m_exit.Reset();
    m_wake.Drain();
    m_thread = std::thread([this] {
        pthread_setname_np(pthread_self(), "vpc-discovery");
        Run();
    });
    return true;
}

void CDiscoveryThread::Stop() {
    m_exit.Signal();
    m_wake.Signal();
    if (m_thread.joinable())
        m_thread.join();
}

void CDiscoveryThread::Run() {
    // one lister for every pass: its cancel handle is made once, not at every pass
    hid::CHidDevice lister(m_backend);
    const std::vector<int> watched =
        m_backend ? m_backend->ChangeDescriptors() : std::vector<int>{};
    for (;;) {
        if (m_exit.IsSignalled())
            break;
        if (!RunCycle(lister))
            break;
        // sleep until the kernel says an interface came, went or changed, or the safety
        // pass is due; what changed elsewhere in the device folder does not wake a pass
        const auto due = lighting::StopSignal::Clock::now() + m_safetyInterval;
        WaitResult result = WaitResult::Due;
        do {
            result = WaitForChange(watched, due);
        } while (result == WaitResult::Changed && !m_backend->TakeChanges());
        if (result == WaitResult::Exit)
            break;
        m_passAfterChange = result == WaitResult::Changed;
    }
    qCDebug(lcVpcDevices, "抓取设备线程设定退出");
}

CDiscoveryThread::WaitResult
CDiscoveryThread::WaitForChange(const std::vector<int>& watched,
                                lighting::StopSignal::Clock::time_point due) {
    std::vector<pollfd> fds;
    fds.reserve(watched.size() + 1);
    fds.push_back({m_wake.Fd(), POLLIN, 0});
    for (const int fd : watched)
        fds.push_back({fd, POLLIN, 0});
    for (;;) {
        if (m_exit.IsSignalled())
            return WaitResult::Exit;
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(due - lighting::StopSignal::Clock::now());
        if (left.count() <= 0)
            return WaitResult::Due;
        const int ready = ::poll(fds.data(), fds.size(), static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR)
            return m_exit.WaitUntil(due) ? WaitResult::Due : WaitResult::Exit; // cannot poll
        if (ready <= 0)
            continue;
        if (fds[0].revents != 0)
            return WaitResult::Exit;
        return WaitResult::Changed;
    }
}

bool CDiscoveryThread::RunCycle() {
    m_passAfterChange = false;
    hid::CHidDevice lister(m_backend);
    return RunCycle(lister);
}

bool CDiscoveryThread::RunCycle(hid::CHidDevice& lister) {
    if (m_slots.AnyFree()) {
        if (!ScanPass(lister))
            return false;
    }
    return CheckPresence();
}

bool CDiscoveryThread::ScanPass(hid::CHidDevice& lister) {
    const bool listed = lister.EnumerateInterfaces();
    m_passes.fetch_add(1);
    if (!listed) {
        // a failed listing is tried again next pass; the thread goes on
        m_failedListings.fetch_add(1);
        qCWarning(lcVpcDevices, "Listing the HID interfaces failed; trying again in the next pass");
    }
    bool keepGoing = true;
    while (listed && keepGoing) {
        auto path = lister.NextInterfacePath();
        if (!path)
            break;
        const std::uint16_t vendor = PathVendorId(*path);
        const std::uint16_t product = PathProductId(*path);
        const std::uint16_t interfaceNumber = PathInterfaceNumber(*path);
        const std::uint16_t collection = PathCollectionNumber(*path);
        if (!m_slots.HasFreeSlotFor(vendor, product, interfaceNumber, collection))
            continue;
        hid::CHidDevice probe(m_backend);
        if (!probe.Open(*path, true, false, true, false)) {
            // right after a node appears udev may not have given the user access yet:
            // only a pass that is not the first after a change may say it is missing
            if (!m_accessDeniedReported && !m_passAfterChange && m_accessProbe &&
                m_accessProbe(*path)) {
                m_accessDeniedReported = true;
                m_sink.OnAccessDenied(*path);
            }
            continue;
        }
        DeviceIdentity candidate;
        candidate.vendorId = probe.Attributes().vendorId;
        candidate.productId = probe.Attributes().productId;
        candidate.interfaceNumber = interfaceNumber;
        candidate.collectionNumber = collection;
        candidate.usagePage = probe.Capabilities().usagePage;
        candidate.usage = probe.Capabilities().usage;
        probe.Close();
        if (auto slot = m_slots.BindFirstFree(candidate, *path)) {
            if (!m_sink.OnSlotArrived(*slot))
                keepGoing = false;
        }
    }
    lister.FreeInterfacePaths();
    if (!m_firstPassDone) {
        m_firstPassDone = true;
        m_sink.OnFirstPassDone();
    }
    return keepGoing && !m_exit.IsSignalled();
}

bool CDiscoveryThread::CheckPresence() {
    if (!m_backend)
        return true;
    for (const auto& [slot, path] : m_slots.PresentSlots()) {
        hid::HidOpenFlags presenceOnly;
        presenceOnly.read = false;
        presenceOnly.write = false;
        if (m_backend->Open(path, presenceOnly))
            continue;
        m_slots.Release(slot);
        if (!m_sink.OnSlotRemoved(slot))
            return false;
    }
    return !m_exit.IsSignalled();
}

} // namespace vpc::devices
