// One HID interface collection: lists interface paths, opens one through a backend, reads its
// identity and capabilities, and moves whole reports with a time limit and a cancel event.
#pragma once

#include "HidBackend.h"
#include "HidReportDescriptor.h"
#include "HidTypes.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vpc::hid {

class CHidDevice {
public:
    static constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
    static constexpr std::size_t kMaxPathLength = 259;

    explicit CHidDevice(std::shared_ptr<IHidBackend> backend = DefaultHidBackend());
    ~CHidDevice();
    CHidDevice(const CHidDevice&) = delete;
    CHidDevice& operator=(const CHidDevice&) = delete;

    // Path list
    bool EnumerateInterfaces();
    std::optional<std::string> NextInterfacePath();
    void FreeInterfacePaths();
    std::size_t InterfacePathCount() const { return m_paths.size(); }

    // Opening and closing. Close may be called from another thread while a transfer waits:
    // it wakes the transfer and returns once no transfer is pending.
    bool Open(const std::string& path, bool readAccess, bool writeAccess, bool overlapped,
              bool exclusive);
    void Close();
    bool IsOpen() const;

    // One whole report each; timeoutMs = kInfinite waits without limit. A read delivers only
    // reports of the opened collection.
    bool Read(std::uint8_t* buffer, std::size_t count, std::size_t* transferred,
              std::uint32_t timeoutMs);
    bool Write(const std::uint8_t* buffer, std::size_t count, std::size_t* transferred,
               std::uint32_t timeoutMs);
    // Output report through the control endpoint (falls back to a plain write).
    bool SendOutputReport(const std::uint8_t* buffer, std::size_t count);

    static bool UnpackReport(const std::uint8_t* report, std::uint16_t reportLength,
                             HidReportType type, HidDataItem* items, std::uint32_t itemCount,
                             const HidPreparsedData* preparsed);
    // Decodes into this object's own items of the report type.
    bool UnpackReport(const std::uint8_t* report, std::uint16_t reportLength, HidReportType type);

    // What the open interface says about itself (zeros while closed).
    const std::string& DevicePath() const { return m_devicePath; }
    const HidCaps& Capabilities() const { return m_caps; }
    const HidAttributes& Attributes() const { return m_attributes; }
    std::shared_ptr<const HidPreparsedData> PreparsedData() const { return m_preparsed; }
    std::uint32_t InterfaceNumber() const { return m_interfaceNumber; }
    std::uint32_t CollectionNumber() const { return m_collectionNumber; }
    std::vector<std::uint8_t>& ReportBuffer(HidReportType type);
    std::vector<HidDataItem>& DataItems(HidReportType type);
    const std::vector<HidCapRecord>& ButtonCaps(HidReportType type) const;
    const std::vector<HidCapRecord>& ValueCaps(HidReportType type) const;
    bool IsReadPending() const { return m_readPending.load(); }
    bool IsWritePending() const { return m_writePending.load(); }
    const HidOpenFlags& OpenFlags() const { return m_flags; }

private:
    struct ReportTypeState {
        std::vector<std::uint8_t> buffer;
        std::vector<HidDataItem> items;
        std::vector<HidCapRecord> buttonCaps;
        std::vector<HidCapRecord> valueCaps;
    };

    bool ReadDeviceInfo(const IHidConnection& connection);
    void CloseLocked(std::unique_lock<std::mutex>& lock);
    std::shared_ptr<IHidConnection> BeginTransfer(std::atomic<bool>& pending);
    void EndTransfer(std::atomic<bool>& pending);
    // Waits for events on fd or the cancel event. 1 = ready, 0 = timed out, -1 = cancelled or
    // failed, -2 = hang-up.
    int WaitFor(const pollfd& target, const std::optional<std::int64_t>& deadlineMs);

    std::shared_ptr<IHidBackend> m_backend;

    std::vector<std::string> m_paths;
    std::size_t m_nextPath = 0;

    HidOpenFlags m_flags;
    std::string m_devicePath;
    std::shared_ptr<const HidPreparsedData> m_preparsed;
    HidCaps m_caps;
    HidAttributes m_attributes;
    std::array<ReportTypeState, kHidReportTypeCount> m_reports;
    std::uint32_t m_interfaceNumber = 0;
    std::uint32_t m_collectionNumber = 0;

    mutable std::mutex m_mutex; // guards the connection and the transfer count
    std::condition_variable m_idle;
    std::shared_ptr<IHidConnection> m_connection;
    int m_activeTransfers = 0;
    int m_cancelFd = -1; // eventfd, level-triggered: stays signalled from Close until Open
    std::atomic<bool> m_readPending{false};
    std::atomic<bool> m_writePending{false};
};

} // namespace vpc::hid
