// The lighting record of the current device as the lighting routes change it: read, store,
// and apply (save the profile, re-seed the lighting and write the onboard record), with the
// writes of quick successive changes coalesced per device.
#pragma once

#include "ProfileRecords.h"

#include <cstdint>
#include <vector>

class QWidget;

namespace vpc::devices {
class CCorvaneUSBDevice;
class CCorvaneKeyboardDevice;
} // namespace vpc::devices

namespace vpc::panels {

class CLightControlUI;
class CLightWriteThrottle;

class CLightingTarget {
public:
    // Null device: every operation does nothing.
    explicit CLightingTarget(QWidget* device);

    explicit operator bool() const { return m_device != nullptr; }
    CLightControlUI* Panel() const { return m_panel; }
    devices::CCorvaneKeyboardDevice* Keyboard() const { return m_keyboard; }

    // The record as last stored (the profile's `LightInfo` on a keyboard).
    data::LightInfo Record() const;
    // `SetLightInfo` with the record; then the writes: at once or, within the quiet window of
    // an earlier change, gathered into one write at its end.
    void Apply(const data::LightInfo& record);
    // The same writes in the order `SaveProfile`, `ApplyLightSettings`, `WriteOnboardProfile`.
    void Store(const data::LightInfo& record);
    void Commit();
    // Runs any gathered writes now.
    void Flush();
    void ClearSynchronised();

    // Keyboard custom colours: the lights take the lighting colour (after the gathered writes,
    // so the device is in the current mode and group).
    void ColourLights(const std::vector<int>& lights);

    CLightWriteThrottle* Throttle() const;

private:
    devices::CCorvaneUSBDevice* m_device = nullptr;
    devices::CCorvaneKeyboardDevice* m_keyboard = nullptr;
    CLightControlUI* m_panel = nullptr;
};

} // namespace vpc::panels
