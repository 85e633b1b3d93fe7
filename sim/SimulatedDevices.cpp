#include "SimulatedDevices.h"

#include "CSimHeadset.h"
#include "CSimMouse.h"
#include "CSimMousePad.h"

#include "HidrawBackend.h"
#include "SimKeypadMemory.h"

#include <charconv>
#include <optional>

namespace vpc::sim {

namespace {

std::optional<std::uint8_t> ParseMode(const std::string& text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || value > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

} // namespace

CSimulatedDevices::CSimulatedDevices(const std::vector<std::string>& kinds)
    : m_previous(hid::DefaultHidBackend()), m_bus(CSimHidBackend::Create()) {
    auto composite = std::make_shared<hid::CCompositeHidBackend>();
    composite->Add(std::make_shared<hid::CHidrawBackend>());
    composite->Add(m_bus);
    for (const std::string& named : kinds) {
        // "keypad:4": the keypad's active onboard record starts in lighting mode 4
        const std::size_t colon = named.find(':');
        const std::string kind = named.substr(0, colon);
        std::optional<std::uint8_t> mode;
        if (colon != std::string::npos) {
            mode = ParseMode(named.substr(colon + 1));
            if (!mode || (kind != "keypad" && kind != "keypad-receiver")) {
                m_unknown.push_back(named);
                continue;
            }
        }
        if (kind == "keypad" || kind == "keypad-receiver") {
            auto keypad = m_bus->AddKeypad();
            if (mode) {
                SimKeypadMemory memory(*keypad);
                memory.SetRecordMode(memory.ActiveSlot(), *mode);
            }
            if (kind == "keypad")
                keypad->PlugCable();
            else
                keypad->PlugReceiver();
            m_devices.push_back(keypad);
        } else if (kind == "mouse" || kind == "mouse-receiver") {
            auto mouse = CSimMouse::Create();
            m_bus->Attach(mouse);
            if (kind == "mouse")
                mouse->PlugCable();
            else
                mouse->PlugReceiver();
            m_devices.push_back(mouse);
        } else if (kind == "headset") {
            auto headset = CSimHeadset::Create();
            m_bus->Attach(headset);
            headset->PlugCable();
            m_devices.push_back(headset);
        } else if (kind == "mousepad") {
            auto pad = CSimMousePad::Create();
            m_bus->Attach(pad);
            pad->PlugCable();
            m_devices.push_back(pad);
        } else {
            m_unknown.push_back(named);
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
