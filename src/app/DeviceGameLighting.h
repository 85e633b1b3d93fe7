// Game lighting on the keypad: reads its mode and mode list, and shows a mode on the
// keypad and its preview without saving it into the profile file.
#pragma once

#include "GameLighting.h"

#include <QPointer>
#include <QWidget>
#include <vector>

namespace vpc::devices {
class CCorvaneKeyboardDevice;
}

class CKeypadGameLighting final : public IGameLightingTarget {
public:
    explicit CKeypadGameLighting(vpc::devices::CCorvaneKeyboardDevice* device);

    int CurrentLightingMode() const override;
    std::span<const int> LightingModes() const override { return m_modes; }
    void ShowTemporaryLightingMode(int mode) override;
    bool IsFor(const QWidget* device) const;

private:
    QPointer<vpc::devices::CCorvaneKeyboardDevice> m_device;
    std::vector<int> m_modes;
};
