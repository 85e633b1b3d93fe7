// The program's --simulate mode: a simulated bus beside hidraw as the default HID backend,
// with the named simulated products plugged in at start, so discovery finds them through the
// same path as real devices.
#pragma once

#include "CSimHidBackend.h"

#include <memory>
#include <string>
#include <vector>

namespace vpc::sim {

class CSimulatedDevices {
public:
    // Kinds: "keypad" (cable), "keypad-receiver" (through its receiver), "mouse",
    // "mouse-receiver", "mousepad", "headset"; a
    // keypad kind may name the lighting mode its active onboard record starts in
    // ("keypad:4"). Unknown kinds are reported in unknownKinds and skipped.
    explicit CSimulatedDevices(const std::vector<std::string>& kinds);
    // Gives the default backend back to hidraw alone.
    ~CSimulatedDevices();
    CSimulatedDevices(const CSimulatedDevices&) = delete;
    CSimulatedDevices& operator=(const CSimulatedDevices&) = delete;

    const std::shared_ptr<CSimHidBackend>& Bus() const { return m_bus; }
    const std::vector<std::shared_ptr<CSimDevice>>& Devices() const { return m_devices; }
    const std::vector<std::string>& UnknownKinds() const { return m_unknown; }

private:
    std::shared_ptr<hid::IHidBackend> m_previous;
    std::shared_ptr<CSimHidBackend> m_bus;
    std::vector<std::shared_ptr<CSimDevice>> m_devices;
    std::vector<std::string> m_unknown;
};

} // namespace vpc::sim
