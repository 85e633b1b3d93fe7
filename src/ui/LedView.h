// A control that shows one LED of a device picture: the device hands it the LED's
// colour on every preview frame, directly rather than through named properties.
#pragma once

#include <cstdint>

class ILedView {
public:
    // The colour word as the device writes it (red | blue << 8 | green << 16), the
    // brightness 0-255 and whether the LED is lit. A control repaints only on a change.
    virtual void ShowLed(std::uint32_t colorWord, int brightness, bool lit) = 0;

protected:
    ~ILedView() = default;
};
