// Which control groups of the lighting panel a lighting mode enables, shows or hides, by
// device kind: the tables the panel applies when a mode is selected. No widgets here.
#pragma once

#include <array>
#include <cstdint>

namespace vpc::panels {

// Left as it is, switched off (disabled or hidden) or switched on (enabled or shown).
enum class GroupState : std::int8_t { Keep = -1, Off = 0, On = 1 };

// The groups a mode enables or disables, in table column order.
enum ModeGroup {
    kEffectGroup,
    kSevenColor,
    kColorGroup,
    kPaletteGroup,
    kLightGroup,
    kSpeedGroup,
    kFxGroup,
    kLightColorGroup,
    kModeGroupCount
};
inline constexpr std::array<const char*, kModeGroupCount> kModeGroupNames = {
    "lighteffect_layout", "deng_7color_check", "deng_color_layout", "colorpallet_layout",
    "deng_light_layout",  "deng_speed_layout", "deng_fx_layout",    "light_color_layout"};

struct ModeLayout {
    std::array<GroupState, kModeGroupCount> enabled{};
    // Shown or hidden.
    GroupState speedShown = GroupState::Keep;    // "deng_speed_layout"
    GroupState customShown = GroupState::Keep;   // "lightcustom_layout"
    GroupState zzccShown = GroupState::Keep;     // "light_combo_ZZCCmodeSelectLayout"
    GroupState audioShown = GroupState::Keep;    // "light_combo_AudiomodeSelectLayout"
    GroupState sameModeShown = GroupState::Keep; // "deng_same_mode"
    int colorTabPage = -1;                       // "light_color_tablayout"; -1 leaves it
    // Text ids of the two direction options ("deng_FXL_check", "deng_FXR_check"); null leaves them.
    const char* fxlText = nullptr;
    const char* fxrText = nullptr;
};

// The layout of mode for a device kind (1 keyboard, 2 mouse, 3 mouse pad, 7 headset); for any
// other kind every member is Keep. "deng_same_mode" is shown only for the modes that offer it
// and only while sameModeAllowed is set.
ModeLayout ModeLayoutFor(int deviceKind, int mode, bool sameModeAllowed);

} // namespace vpc::panels
