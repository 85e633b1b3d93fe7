#include "GameLighting.h"

#include <algorithm>

namespace {

// The mode a device returns to: its own, or 1 when it had none of the usual modes.
int ReturnModeFor(int currentMode) {
    return currentMode <= 0 || currentMode > 20 ? 1 : currentMode;
}

} // namespace

bool CGameLighting::Start(IGameLightingTarget* device, int kind, int mode) {
    if (!device || kind < 0 || kind > 2) {
        return false;
    }
    const std::span<const int> modes = device->LightingModes();
    if (std::find(modes.begin(), modes.end(), mode) == modes.end()) {
        return false;
    }
    if (m_device && m_device != device) {
        End(); // the earlier device gets its mode back before another one changes
    }
    if (!m_returnMode) {
        // The mode to come back to is the one the device had before the first game
        // message; later messages in the same stretch keep it.
        m_returnMode = ReturnModeFor(device->CurrentLightingMode());
    }
    m_device = device;
    device->ShowTemporaryLightingMode(mode);
    return true;
}

void CGameLighting::End() {
    if (m_device && m_returnMode) {
        m_device->ShowTemporaryLightingMode(*m_returnMode);
    }
    m_device = nullptr;
    m_returnMode.reset();
}

void CGameLighting::Forget(const IGameLightingTarget* device) {
    if (device && device == m_device) {
        m_device = nullptr;
        m_returnMode.reset();
    }
}
