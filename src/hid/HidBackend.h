// The interface every HID backend (hidraw, simulator) implements below CHidDevice: listing
// interface paths, opening one, and moving single reports without blocking.
#pragma once

#include "HidTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <poll.h>

namespace vpc::hid {

struct HidOpenFlags {
    bool read = false;
    bool write = false;
    bool overlapped = true;
    bool exclusive = false;
};

enum class HidIoResult {
    Ok,         // one whole report moved
    WouldBlock, // nothing to read (or no room to write) right now
    Gone,       // the device has vanished
    Error,      // any other failure
};

// One open interface node. All calls are non-blocking; CHidDevice waits with poll() on the
// descriptors given by ReadPoll and WritePoll together with its cancel eventfd.
class IHidConnection {
public:
    virtual ~IHidConnection() = default;

    virtual HidAttributes Attributes() const = 0;
    // The binary report descriptor of the whole interface (every top-level collection).
    virtual const std::vector<std::uint8_t>& ReportDescriptor() const = 0;

    virtual pollfd ReadPoll() const = 0;
    virtual pollfd WritePoll() const = 0;
    // Reads one whole report. A report longer than size is cut to size.
    virtual HidIoResult ReadReport(std::uint8_t* buffer, std::size_t size, std::size_t& got) = 0;
    virtual HidIoResult WriteReport(const std::uint8_t* buffer, std::size_t size,
                                    std::size_t& written) = 0;
    // Sends an output report through the control endpoint; backends without one write it.
    virtual bool SendOutputReport(const std::uint8_t* buffer, std::size_t size) {
        std::size_t written = 0;
        return WriteReport(buffer, size, written) == HidIoResult::Ok && written == size;
    }
};

class IHidBackend {
public:
    virtual ~IHidBackend() = default;

    // Paths of every present interface collection; false when the listing itself failed.
    virtual bool ListInterfaces(std::vector<std::string>& paths) = 0;
    // True when the path has this backend's form.
    virtual bool Handles(const std::string& path) const = 0;
    // Opens the interface node behind a path; null on failure. With neither read nor write
    // access the call only checks that the node is present and returns a connection that
    // moves no reports.
    virtual std::shared_ptr<IHidConnection> Open(const std::string& path,
                                                 const HidOpenFlags& flags) = 0;

    // Descriptors that become readable when an interface may have come, gone or changed
    // its permissions, for poll(); empty when the backend cannot tell, and its users
    // then list it now and then. They stay valid for the backend's life.
    virtual std::vector<int> ChangeDescriptors() { return {}; }
    // Takes in what made the descriptors readable; true when it may concern an interface.
    virtual bool TakeChanges() { return false; }
};

// Lists the interfaces of several backends and opens each path with the backend it belongs to
// (the program's --simulate mode joins hidraw and the simulator this way).
class CCompositeHidBackend : public IHidBackend {
public:
    void Add(std::shared_ptr<IHidBackend> backend);

    bool ListInterfaces(std::vector<std::string>& paths) override;
    bool Handles(const std::string& path) const override;
    std::shared_ptr<IHidConnection> Open(const std::string& path,
                                         const HidOpenFlags& flags) override;
    std::vector<int> ChangeDescriptors() override;
    bool TakeChanges() override;

private:
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<IHidBackend>> m_backends;
};

// The backend new CHidDevice objects use unless they are given one (hidraw at start).
std::shared_ptr<IHidBackend> DefaultHidBackend();
void SetDefaultHidBackend(std::shared_ptr<IHidBackend> backend);

} // namespace vpc::hid
