#include "LightModeLayout.h"

#include "DeviceTypes.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

namespace vpc::panels {

namespace {

// One row of a mode table: its modes, the eight columns ('1' on, '0' off, '-' keep), whether
// it offers the same-mode button, and what else it changes.
struct ModeRow {
    std::initializer_list<int> modes;
    std::string_view columns;
    bool offersSameMode = false;
    const char* fxl = nullptr;
    const char* fxr = nullptr;
    GroupState speedShown = GroupState::Keep;
    GroupState customShown = GroupState::Keep;
    GroupState zzccShown = GroupState::Keep;
    GroupState audioShown = GroupState::Keep;
    int tabPage = -1;
};

constexpr GroupState kOn = GroupState::On;
constexpr GroupState kOff = GroupState::Off;
constexpr GroupState kKeep = GroupState::Keep;

const char* const kClockwise = "light_set_clockwise_text";
const char* const kAnticlockwise = "light_set_anticlockwise_text";
const char* const kUpToDown = "light_set_up_to_down_text";
const char* const kDownToUp = "light_set_down_to_up_text";
const char* const kInsideOut = "light_set_inside_to_outside_text";
const char* const kOutsideIn = "light_set_outside_to_inside_text";

// Keyboard rows; the last row (modes 0, 20, 30 and above 31) is the fallback.
const ModeRow kKeyboardRows[] = {
    {{1, 2}, "111111--"},
    {{3, 24}, "111111--", false, kClockwise, kAnticlockwise},
    {{29}, "111111--", false, kUpToDown, kDownToUp},
    {{4}, "10001100", true},
    {{5, 23}, "1111110-", true},
    {{6}, "1111100-", true},
    {{7, 8, 9, 10, 13, 14, 15, 22, 25}, "1111110-"},
    {{16}, "1111100-"},
    {{11, 26}, "10001100"},
    {{12}, "10001110", false, kUpToDown, kDownToUp},
    {{17}, "10001100", false, nullptr, nullptr, kOff, kKeep, kOn},
    {{18}, "10001010", false, kInsideOut, kOutsideIn},
    {{19}, "1011100-", false, nullptr, nullptr, kOff, kOn},
    {{21}, "111110--", false, nullptr, nullptr, kOff, kKeep, kKeep, kOn, 1},
    {{27}, "1000110-"},
    {{28}, "1000000-", true},
    {{31}, "10001000"},
    {{}, "1000000-"},
};

const ModeRow kMouseRows[] = {
    {{0, 5, 9}, "111111-"},
    {{1}, "1000110", true},
    {{2, 4, 6}, "1111110", true},
    {{3}, "1011100", true},
    {{7, 8}, "1000110"},
    {{10}, "1000000", true},
    {{11}, "111110-", false, nullptr, nullptr, kOff, kKeep, kKeep, kOn, 1},
    {{}, "1000000"},
};

const ModeRow kPadRows[] = {
    {{0}, "111111-"},       {{1}, "1000110", true}, {{2, 4}, "1111110", true},
    {{3}, "1011100", true}, {{8}, "1000000", true}, {{}, "1000000"},
};

template <std::size_t N> const ModeRow& RowFor(const ModeRow (&rows)[N], int mode) {
    for (const ModeRow& row : rows) {
        if (std::find(row.modes.begin(), row.modes.end(), mode) != row.modes.end())
            return row;
    }
    return rows[N - 1];
}

GroupState ColumnState(char c) {
    return c == '1' ? kOn : c == '0' ? kOff : kKeep;
}

void ApplyRow(ModeLayout& layout, const ModeRow& row, bool sameModeAllowed) {
    for (std::size_t i = 0; i < row.columns.size() && i < layout.enabled.size(); ++i) {
        const GroupState state = ColumnState(row.columns[i]);
        if (state != kKeep)
            layout.enabled[i] = state;
    }
    if (row.offersSameMode && sameModeAllowed)
        layout.sameModeShown = kOn;
    if (row.fxl) {
        layout.fxlText = row.fxl;
        layout.fxrText = row.fxr;
    }
    if (row.speedShown != kKeep)
        layout.speedShown = row.speedShown;
    if (row.customShown != kKeep)
        layout.customShown = row.customShown;
    if (row.zzccShown != kKeep)
        layout.zzccShown = row.zzccShown;
    if (row.audioShown != kKeep)
        layout.audioShown = row.audioShown;
    if (row.tabPage >= 0)
        layout.colorTabPage = row.tabPage;
}

} // namespace

ModeLayout ModeLayoutFor(int deviceKind, int mode, bool sameModeAllowed) {
    ModeLayout layout;
    layout.enabled.fill(kKeep);
    switch (deviceKind) {
    case kKeyboardType:
        layout.customShown = kOff;
        layout.zzccShown = kOff;
        layout.audioShown = kOff;
        layout.sameModeShown = kOff;
        layout.enabled[kFxGroup] = kOn;
        layout.enabled[kLightColorGroup] = kOn;
        layout.speedShown = kOn;
        layout.colorTabPage = 0;
        layout.fxlText = "light_set_right_to_left_text";
        layout.fxrText = "light_set_left_to_right_text";
        ApplyRow(layout, RowFor(kKeyboardRows, mode), sameModeAllowed);
        break;
    case kMouseType:
        layout.audioShown = kOff;
        layout.sameModeShown = kOff;
        layout.colorTabPage = 0;
        layout.speedShown = kOn;
        layout.enabled[kFxGroup] = kOn;
        layout.fxlText = kDownToUp;
        layout.fxrText = kUpToDown;
        ApplyRow(layout, RowFor(kMouseRows, mode), sameModeAllowed);
        break;
    case kMousePadType:
    case kHeadsetType:
        layout.sameModeShown = kOff;
        layout.enabled[kFxGroup] = kOn;
        ApplyRow(layout, RowFor(kPadRows, mode), sameModeAllowed);
        break;
    default:
        break;
    }
    return layout;
}

} // namespace vpc::panels
