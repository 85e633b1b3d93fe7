#include "NotificationInterface.h"

#include "DeviceLog.h"

#include "HidReportDescriptor.h"

#include <algorithm>
#include <chrono>
#include <vector>

namespace vpc::devices {

CNotificationInterface::CNotificationInterface(std::shared_ptr<hid::IHidBackend> backend)
    : m_device(std::move(backend)) {}

CNotificationInterface::~CNotificationInterface() {
    Close();
}

void CNotificationInterface::StopSync() {
    // the read waits without a time limit: closing the interface wakes it before the join
    m_sync.Stop([this] { m_device.Close(); });
}

bool CNotificationInterface::Open(const std::string& path, UsageHandler handler,
                                  const char* exitLine) {
    std::lock_guard lock(m_lock);
    StopSync();
    m_open.store(false);
    m_device.Close();
    if (!m_device.Open(path, true, true, true, false))
        return false;
    m_open.store(true);
    // the thread decodes with its own copy of the collection's description, taken here, so a
    // close on another thread never pulls it away
    std::shared_ptr<const hid::HidPreparsedData> preparsed = m_device.PreparsedData();
    m_sync.Start(
        [this, handler = std::move(handler), exitLine, preparsed = std::move(preparsed)](
            const lighting::StopSignal& exit) { SyncLoop(exit, preparsed, handler, exitLine); },
        "vpc-sync");
    return true;
}

void CNotificationInterface::Close() {
    std::lock_guard lock(m_lock);
    StopSync();
    m_open.store(false);
    m_device.Close();
}

void CNotificationInterface::SyncLoop(const lighting::StopSignal& exit,
                                      const std::shared_ptr<const hid::HidPreparsedData>& preparsed,
                                      const UsageHandler& handler, const char* exitLine) {
    using namespace std::chrono;
    std::vector<hid::HidDataItem> items;
    std::size_t reportSize = 64;
    if (preparsed) {
        items = hid::BuildDataItems(*preparsed, hid::HidReportType::Input);
        reportSize = std::max<std::size_t>(preparsed->caps.inputReportByteLength, reportSize);
    }
    std::vector<std::uint8_t> report(reportSize);
    milliseconds backoff{10};
    while (!exit.IsSignalled()) {
        std::size_t got = 0;
        if (!m_open.load() ||
            !m_device.Read(report.data(), report.size(), &got, hid::CHidDevice::kInfinite)) {
            // the interface went away or was closed: wait for the owner, never spin
            if (!exit.WaitUntil(lighting::StopSignal::Clock::now() + backoff))
                break;
            backoff = std::min(backoff * 2, milliseconds(1000));
            continue;
        }
        backoff = milliseconds(10);
        if (got == 0 || !preparsed || items.empty())
            continue;
        ++m_reports;
        if (!hid::UnpackReport(report.data(), static_cast<std::uint16_t>(got),
                               hid::HidReportType::Input, items.data(),
                               static_cast<std::uint32_t>(items.size()), *preparsed))
            continue;
        const hid::HidDataItem& first = items.front();
        std::uint16_t usage = 0;
        if (first.isButton)
            usage = first.usages.empty() ? 0 : first.usages.front();
        else
            usage = static_cast<std::uint16_t>(first.rawValue);
        if (handler)
            handler(usage);
    }
    qCDebug(lcVpcDevices, "%s", exitLine);
}

} // namespace vpc::devices
