// Game-triggered lighting: a game message shows a lighting mode on the current
// device for a while, then the device gets back the mode it had before.
#pragma once

#include <optional>
#include <span>

// What game lighting needs of a device: its current mode, the modes it offers,
// and a way to show a mode without writing it into the profile.
class IGameLightingTarget {
public:
    virtual ~IGameLightingTarget() = default;
    virtual int CurrentLightingMode() const = 0;
    virtual std::span<const int> LightingModes() const = 0;
    virtual void ShowTemporaryLightingMode(int mode) = 0;
};

class CGameLighting {
public:
    static constexpr int kRestoreDelayMs = 5000;

    // Handles a game message for device (null when there is none). Shows the mode when
    // kind is 0, 1 or 2 and the device offers it, and returns true when the restore
    // timer is to be (re)started, that is only after a change.
    bool Start(IGameLightingTarget* device, int kind, int mode);
    // The restore timer expired: gives the changed device its mode back.
    void End();
    // A device that goes away is forgotten.
    void Forget(const IGameLightingTarget* device);

    const IGameLightingTarget* ChangedDevice() const { return m_device; }
    std::optional<int> ReturnMode() const { return m_returnMode; }

private:
    IGameLightingTarget* m_device = nullptr;
    std::optional<int> m_returnMode;
};
