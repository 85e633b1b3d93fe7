#include "DeviceGameLighting.h"

#include "keyboard/CorvaneKeyboardDevice.h"
#include "lighting/LightTypes.h"

CKeypadGameLighting::CKeypadGameLighting(vpc::devices::CCorvaneKeyboardDevice* device)
    : m_device(device) {
    if (!device) {
        return;
    }
    const auto& defaults = device->DefaultData();
    for (std::size_t mode = 0; mode < defaults.modeNames.size(); ++mode) {
        const bool shown = mode < defaults.modeVisible.size() && defaults.modeVisible[mode] != 0;
        // modes that stream frames from the program are no short game effect
        if (shown && !vpc::lighting::IsLiveMode(static_cast<std::uint8_t>(mode))) {
            m_modes.push_back(static_cast<int>(mode));
        }
    }
}

int CKeypadGameLighting::CurrentLightingMode() const {
    return m_device ? m_device->CurrentLightRecord().mode : 0;
}

void CKeypadGameLighting::ShowTemporaryLightingMode(int mode) {
    if (!m_device) {
        return;
    }
    // the game's mode is shown instead of the synchronised effect, and on the panel
    m_device->SetSynchronised(false);
    vpc::devices::DeviceLightRecord record = m_device->CurrentLightRecord();
    record.mode = static_cast<std::uint8_t>(mode);
    // The record goes to the device and its preview; the profile file is not saved, so
    // the user's own mode stays on disk.
    m_device->SetLightRecord(record);
    m_device->ApplyLightSettings();
    m_device->ShowLightInfoOnPanel();
    m_device->WriteOnboardProfile(0, 0, 1, 0, 0);
}

bool CKeypadGameLighting::IsFor(const QWidget* device) const {
    return device && m_device == device;
}
