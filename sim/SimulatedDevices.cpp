#include "SimulatedDevices.h"

#include "CSimMousePad.h"

#include "HidrawBackend.h"

namespace vpc::sim {

CSimulatedDevices::CSimulatedDevices(const std::vector<std::string>& kinds)
    : m_previous(hid::DefaultHidBackend()), m_bus(CSimHidBackend::Create()) {
    auto composite = std::make_shared<hid::CCompositeHidBackend>();
    composite->Add(std::make_shared<hid::CHidrawBackend>());
    composite->Add(m_bus);
    for (const std::string& kind : kinds) {
        if (kind == "keypad" || kind == "keypad-receiver") {
            auto keypad = m_bus->AddKeypad();
            if (kind == "keypad")
                keypad->PlugCable();
            else
                keypad->PlugReceiver();
            m_devices.push_back(keypad);
        } else if (kind == "mousepad") {
            auto pad = CSimMousePad::Create();
            m_bus->Attach(pad);
            pad->PlugCable();
            m_devices.push_back(pad);
        } else {
            m_unknown.push_back(kind);
        }
    }
    hid::SetDefaultHidBackend(composite);
}

CSimulatedDevices::~CSimulatedDevices() {
    hid::SetDefaultHidBackend(m_previous ? m_previous : std::make_shared<hid::CHidrawBackend>());
    for (const auto& device : m_devices)
        m_bus->Detach(device);
}

} // namespace vpc::sim
