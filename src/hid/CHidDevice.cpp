#include "CHidDevice.h"

#include "HidPath.h"

#include <cerrno>
#include <chrono>
#include <cstring>

#include <sys/eventfd.h>
#include <unistd.h>

namespace vpc::hid {

namespace {

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

CHidDevice::CHidDevice(std::shared_ptr<IHidBackend> backend) : m_backend(std::move(backend)) {
    m_cancelFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

CHidDevice::~CHidDevice() {
    Close();
    FreeInterfacePaths();
    if (m_cancelFd >= 0)
        ::close(m_cancelFd);
}

bool CHidDevice::EnumerateInterfaces() {
    m_nextPath = 0;
    m_paths.clear();
    if (!m_backend)
        return false;
    std::vector<std::string> paths;
    if (!m_backend->ListInterfaces(paths))
        return false;
    m_paths = std::move(paths);
    return true;
}

std::optional<std::string> CHidDevice::NextInterfacePath() {
    if (m_nextPath >= m_paths.size())
        return std::nullopt;
    return m_paths[m_nextPath++];
}

void CHidDevice::FreeInterfacePaths() {
    m_paths.clear();
    m_paths.shrink_to_fit();
    m_nextPath = 0;
}

bool CHidDevice::IsOpen() const {
    std::lock_guard lock(m_mutex);
    return m_connection != nullptr;
}

void CHidDevice::CloseLocked(std::unique_lock<std::mutex>& lock) {
    if (m_cancelFd >= 0) {
        const std::uint64_t one = 1;
        // the counter only grows; a full counter is still signalled
        [[maybe_unused]] ssize_t n = ::write(m_cancelFd, &one, sizeof one);
    }
    m_idle.wait(lock, [this] { return m_activeTransfers == 0; });
    m_connection.reset();
    m_preparsed.reset();
    for (ReportTypeState& state : m_reports)
        state = ReportTypeState{};
    m_caps = HidCaps{};
    m_attributes = HidAttributes{};
}

void CHidDevice::Close() {
    std::unique_lock lock(m_mutex);
    CloseLocked(lock);
}

bool CHidDevice::Open(const std::string& path, bool readAccess, bool writeAccess, bool overlapped,
                      bool exclusive) {
    std::unique_lock lock(m_mutex);
    CloseLocked(lock);
    if (m_cancelFd >= 0) {
        std::uint64_t value = 0;
        [[maybe_unused]] ssize_t n = ::read(m_cancelFd, &value, sizeof value); // clear
    }
    m_flags = HidOpenFlags{readAccess, writeAccess, overlapped, exclusive};
    m_devicePath = path;
    m_interfaceNumber = PathInterfaceNumber(path);
    m_collectionNumber = PathCollectionNumber(path);
    if (path.size() > kMaxPathLength || !m_backend || m_cancelFd < 0)
        return false;
    std::shared_ptr<IHidConnection> connection = m_backend->Open(path, m_flags);
    if (!connection)
        return false;
    if (!ReadDeviceInfo(*connection)) {
        m_preparsed.reset();
        for (ReportTypeState& state : m_reports)
            state = ReportTypeState{};
        m_caps = HidCaps{};
        m_attributes = HidAttributes{};
        return false;
    }
    m_connection = std::move(connection);
    return true;
}

bool CHidDevice::ReadDeviceInfo(const IHidConnection& connection) {
    auto collections = ParseReportDescriptor(connection.ReportDescriptor());
    if (!collections)
        return false;
    // "&colNN" counts the interface's top-level collections from 1; no "&col" means the only one
    const std::size_t index = m_collectionNumber == 0 ? 0 : m_collectionNumber - 1;
    if (index >= collections->size() || (m_collectionNumber == 0 && collections->size() != 1))
        return false;
    auto preparsed = std::make_shared<HidPreparsedData>(std::move((*collections)[index]));
    m_attributes = connection.Attributes();
    m_caps = preparsed->caps;
    const std::uint16_t lengths[kHidReportTypeCount] = {m_caps.inputReportByteLength,
                                                        m_caps.outputReportByteLength,
                                                        m_caps.featureReportByteLength};
    for (int t = 0; t < kHidReportTypeCount; ++t) {
        ReportTypeState& state = m_reports[static_cast<std::size_t>(t)];
        state.buffer.assign(lengths[t], 0);
        state.buttonCaps = preparsed->buttonCaps[static_cast<std::size_t>(t)];
        state.valueCaps = preparsed->valueCaps[static_cast<std::size_t>(t)];
        state.items = BuildDataItems(*preparsed, static_cast<HidReportType>(t));
    }
    m_preparsed = std::move(preparsed);
    return true;
}

std::shared_ptr<IHidConnection> CHidDevice::BeginTransfer(std::atomic<bool>& pending) {
    std::lock_guard lock(m_mutex);
    if (!m_connection)
        return nullptr;
    ++m_activeTransfers;
    pending.store(true);
    return m_connection;
}

void CHidDevice::EndTransfer(std::atomic<bool>& pending) {
    std::lock_guard lock(m_mutex);
    pending.store(false);
    if (--m_activeTransfers == 0)
        m_idle.notify_all();
}

int CHidDevice::WaitFor(const pollfd& target, const std::optional<std::int64_t>& deadlineMs) {
    for (;;) {
        int timeout = -1;
        if (deadlineMs) {
            const std::int64_t left = *deadlineMs - NowMs();
            timeout = left > 0 ? static_cast<int>(std::min<std::int64_t>(left, 1 << 30)) : 0;
        }
        pollfd fds[2] = {{m_cancelFd, POLLIN, 0}, target};
        fds[1].revents = 0;
        const int rc = ::poll(fds, 2, timeout);
        if (rc < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (fds[0].revents != 0)
            return -1; // cancelled by Close
        if (rc == 0)
            return 0;
        if (fds[1].revents & target.events)
            return 1;
        if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))
            return -2;
        // spurious wake-up: wait again for the rest of the time
    }
}

bool CHidDevice::Read(std::uint8_t* buffer, std::size_t count, std::size_t* transferred,
                      std::uint32_t timeoutMs) {
    if (transferred)
        *transferred = 0;
    std::shared_ptr<IHidConnection> connection = BeginTransfer(m_readPending);
    if (!connection)
        return false;
    bool result = false;
    std::shared_ptr<const HidPreparsedData> preparsed;
    {
        std::lock_guard lock(m_mutex);
        preparsed = m_preparsed;
    }
    if (buffer != nullptr && count > 0 && m_flags.read && preparsed) {
        std::optional<std::int64_t> deadline;
        if (timeoutMs != kInfinite)
            deadline = NowMs() + timeoutMs;
        const bool numbered = preparsed->numberedReports;
        for (;;) {
            if (WaitFor(connection->ReadPoll(), deadline) != 1)
                break;
            std::size_t got = 0;
            HidIoResult io;
            if (numbered) {
                io = connection->ReadReport(buffer, count, got);
            } else {
                // reports without ids are handed up behind a 0 id byte
                io = count > 1 ? connection->ReadReport(buffer + 1, count - 1, got)
                               : HidIoResult::Error;
                if (io == HidIoResult::Ok) {
                    buffer[0] = 0;
                    ++got;
                }
            }
            if (io == HidIoResult::WouldBlock)
                continue;
            if (io != HidIoResult::Ok)
                break;
            if (got == 0 || (numbered && !preparsed->HasReportId(buffer[0])))
                continue; // another collection's report on the same node
            if (transferred)
                *transferred = got;
            result = true;
            break;
        }
    }
    EndTransfer(m_readPending);
    return result;
}

bool CHidDevice::Write(const std::uint8_t* buffer, std::size_t count, std::size_t* transferred,
                       std::uint32_t timeoutMs) {
    if (transferred)
        *transferred = 0;
    std::shared_ptr<IHidConnection> connection = BeginTransfer(m_writePending);
    if (!connection)
        return false;
    bool result = false;
    if (buffer != nullptr && count > 0 && m_flags.write) {
        std::optional<std::int64_t> deadline;
        if (timeoutMs != kInfinite)
            deadline = NowMs() + timeoutMs;
        for (;;) {
            if (WaitFor(connection->WritePoll(), deadline) != 1)
                break;
            std::size_t written = 0;
            const HidIoResult io = connection->WriteReport(buffer, count, written);
            if (io == HidIoResult::WouldBlock)
                continue;
            if (io == HidIoResult::Ok) {
                if (transferred)
                    *transferred = written;
                result = true;
            }
            break;
        }
    }
    EndTransfer(m_writePending);
    return result;
}

bool CHidDevice::SendOutputReport(const std::uint8_t* buffer, std::size_t count) {
    std::shared_ptr<IHidConnection> connection = BeginTransfer(m_writePending);
    if (!connection)
        return false;
    const bool ok = buffer != nullptr && count > 0 && m_flags.write &&
                    connection->SendOutputReport(buffer, count);
    EndTransfer(m_writePending);
    return ok;
}

bool CHidDevice::UnpackReport(const std::uint8_t* report, std::uint16_t reportLength,
                              HidReportType type, HidDataItem* items, std::uint32_t itemCount,
                              const HidPreparsedData* preparsed) {
    if (preparsed == nullptr)
        return false;
    return vpc::hid::UnpackReport(report, reportLength, type, items, itemCount, *preparsed);
}

bool CHidDevice::UnpackReport(const std::uint8_t* report, std::uint16_t reportLength,
                              HidReportType type) {
    std::vector<HidDataItem>& items = DataItems(type);
    return UnpackReport(report, reportLength, type, items.data(),
                        static_cast<std::uint32_t>(items.size()), m_preparsed.get());
}

std::vector<std::uint8_t>& CHidDevice::ReportBuffer(HidReportType type) {
    return m_reports[static_cast<std::size_t>(type)].buffer;
}

std::vector<HidDataItem>& CHidDevice::DataItems(HidReportType type) {
    return m_reports[static_cast<std::size_t>(type)].items;
}

const std::vector<HidCapRecord>& CHidDevice::ButtonCaps(HidReportType type) const {
    return m_reports[static_cast<std::size_t>(type)].buttonCaps;
}

const std::vector<HidCapRecord>& CHidDevice::ValueCaps(HidReportType type) const {
    return m_reports[static_cast<std::size_t>(type)].valueCaps;
}

} // namespace vpc::hid
