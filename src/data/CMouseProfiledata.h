// CMouseProfiledata: the mouse's profile, adding DPI stages, pointer settings, the report
// rate stage and the read-only pointer corrections to the shared profile sections.
#pragma once

#include "CBasicProfiledata.h"

namespace vpc::data {

inline constexpr int kMaxDpiStages = 32;

class CMouseProfiledata : public CBasicProfiledata {
public:
    // Reads "DPIStages": the active stage index and the stages, merged into the cached list
    // (element j of the result replaces cached element j or is appended; cached elements
    // beyond the result stay). Returns a copy of the cache. At most kMaxDpiStages are read;
    // an active index outside 0..kMaxDpiStages-1 reads as 0.
    std::vector<DpiStage> GetDpiStages();
    void SetDpiStages(const std::vector<DpiStage>& stages);

    // The cached active stage index (no document access).
    int GetActiveStage() const { return m_activeStage; }
    bool SetActiveStage(int stage);

    // (DoubleClickTime, MouseSpeed), (PointerPrecision, ScorllPage),
    // (WheelScorlllinse, "ReportStages"."StageActive").
    void SetSystemStages(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2);
    SystemStageWords GetSystemStages();

    std::vector<CorrectEntry> GetCorrectInfo();

private:
    std::vector<DpiStage> m_dpiStages;
    int m_activeStage = 0;
    SystemStageWords m_systemStages{};
    std::vector<CorrectEntry> m_correctInfo;
};

} // namespace vpc::data
