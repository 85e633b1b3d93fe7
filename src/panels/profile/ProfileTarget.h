// What the profile panel needs from its device: take another profile file, reload the
// current one after a reset, and show a function page. The device (or the main window) plugs it in.
#pragma once

#include <QString>

namespace vpc::panels {

class IProfileTarget {
public:
    virtual ~IProfileTarget() = default;
    // The device takes this profile as its current profile and runs its reload sequence:
    // load the profile, check macro keys, refresh the page, write the onboard record and
    // download the used macros and the key assignments.
    virtual void SwitchProfile(const QString& profileId) = 0;
    // The current profile file was reset to the defaults: load it and write it to the device
    // (with the music lighting restored and, for a keyboard or a mouse, macros and keys sent).
    virtual void ReloadResetProfile() = 0;
    // Shows function page n (1 lighting ... 8 virtual 7.1) of the device page.
    virtual void SetFunctionPage(int n) = 0;
};

} // namespace vpc::panels
