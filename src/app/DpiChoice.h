// The DPI the main window takes on a monitor: 144 on large monitors, else 96, and
// the rule that only the usual DPI steps are accepted.
#pragma once

inline constexpr int kDefaultDpi = 96;

// 144 when the monitor is wider than 1500 and taller than 960 pixels, else 96.
constexpr int ChooseDpi(int monitorWidth, int monitorHeight) {
    return monitorWidth > 1500 && monitorHeight > 960 ? 144 : kDefaultDpi;
}

// True for 48, 72, 96, 120, 144, 168 and 192.
constexpr bool IsAcceptedDpi(int dpi) {
    return dpi >= 48 && dpi <= 192 && dpi % 24 == 0;
}
