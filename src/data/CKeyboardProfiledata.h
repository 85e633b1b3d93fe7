// CKeyboardProfiledata: the keyboard's profile, adding the system stages and the custom
// per-light colour groups to the shared profile sections.
#pragma once

#include "CBasicProfiledata.h"

namespace vpc::data {

inline constexpr int kMaxCustomGroups = 16;
inline constexpr int kMaxCustomColorCount = 512;

class CKeyboardProfiledata : public CBasicProfiledata {
public:
    // "SystemStages": (Repeat, RepeatDelay), (Key6Flag, PollingRate), (WFlag, WinFlag).
    void SetSystemStages(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2);
    SystemStageWords GetSystemStages();

    // "CustomLightMode"."LightColorInfo"[group]. Groups outside 0..kMaxCustomGroups-1 are
    // refused (false; the getter returns zero colours and writes nothing).
    bool SetCustomColors(const std::vector<CustomColor>& colors, int group);
    // Missing colours are written as zero members and read as zero colours. `count` is
    // limited to kMaxCustomColorCount.
    std::vector<CustomColor> GetCustomColors(int group, int count);

    // "CustomLightMode"."CustomLightModeGroupIndex"; a stored index outside the groups reads 0.
    bool SetCustomGroupIndex(int group);
    int GetCustomGroupIndex();

private:
    SystemStageWords m_systemStages{};
    std::vector<CustomColor> m_customColors;
    int m_customGroupIndex = 0;
};

} // namespace vpc::data
