#include "CMouseProfiledata.h"

#include "JsonAccess.h"

#include <algorithm>

namespace vpc::data {

using json::Element;
using json::Member;
using json::ToByte;
using json::ToUInt16;
using json::WritableElement;
using json::WritableMember;

std::vector<DpiStage> CMouseProfiledata::GetDpiStages() {
    const Json::Value& dpi = Member(GetDocument(), "DPIStages");
    if (!dpi.isNull()) {
        const std::int64_t active = json::ToInt64(Member(dpi, "StageActive"));
        m_activeStage = active >= 0 && active < kMaxDpiStages ? static_cast<int>(active) : 0;
        const Json::Value& list = Member(dpi, "StageDPIs");
        const auto count = std::min<Json::ArrayIndex>(json::ArraySize(list), kMaxDpiStages);
        for (Json::ArrayIndex j = 0; j < count; ++j) {
            const Json::Value& e = list[j];
            DpiStage stage;
            stage.stageActive = ToByte(Member(e, "StageActive"));
            stage.stageXY = ToByte(Member(e, "StageXY"));
            stage.stageDpiX = ToUInt16(Member(e, "StageDPIX"));
            stage.stageDpiY = ToUInt16(Member(e, "StageDPIY"));
            stage.stageColorR = ToByte(Member(e, "StageColorR"));
            stage.stageColorG = ToByte(Member(e, "StageColorG"));
            stage.stageColorB = ToByte(Member(e, "StageColorB"));
            if (j < m_dpiStages.size())
                m_dpiStages[j] = stage;
            else
                m_dpiStages.push_back(stage);
        }
    }
    return m_dpiStages;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& stages) {
    m_dpiStages = stages;
    if (m_dpiStages.size() > kMaxDpiStages)
        m_dpiStages.resize(kMaxDpiStages);
    Json::Value& list = WritableMember(WritableMember(Document(), "DPIStages"), "StageDPIs");
    for (std::size_t i = 0; i < m_dpiStages.size(); ++i) {
        const DpiStage& stage = m_dpiStages[i];
        Json::Value& e = WritableElement(list, static_cast<Json::ArrayIndex>(i));
        WritableMember(e, "StageActive") = stage.stageActive;
        WritableMember(e, "StageXY") = stage.stageXY;
        WritableMember(e, "StageDPIX") = stage.stageDpiX;
        WritableMember(e, "StageDPIY") = stage.stageDpiY;
        WritableMember(e, "StageColorR") = stage.stageColorR;
        WritableMember(e, "StageColorG") = stage.stageColorG;
        WritableMember(e, "StageColorB") = stage.stageColorB;
    }
}

bool CMouseProfiledata::SetActiveStage(int stage) {
    if (stage < 0 || stage >= kMaxDpiStages)
        return false;
    m_activeStage = stage;
    WritableMember(WritableMember(Document(), "DPIStages"), "StageActive") = stage;
    return true;
}

void CMouseProfiledata::SetSystemStages(std::uint32_t word0, std::uint32_t word1,
                                        std::uint32_t word2) {
    m_systemStages = {word0, word1, word2};
    Json::Value& stages = WritableMember(Document(), "SystemStages");
    WritableMember(stages, "DoubleClickTime") = LowHalf(word0);
    WritableMember(stages, "MouseSpeed") = HighHalf(word0);
    WritableMember(stages, "PointerPrecision") = LowHalf(word1);
    WritableMember(stages, "ScorllPage") = HighHalf(word1);
    WritableMember(stages, "WheelScorlllinse") = LowHalf(word2);
    WritableMember(WritableMember(Document(), "ReportStages"), "StageActive") = HighHalf(word2);
}

SystemStageWords CMouseProfiledata::GetSystemStages() {
    const Json::Value& s = Member(GetDocument(), "SystemStages");
    SystemStageWords words{};
    if (!s.isNull()) {
        words[0] =
            PackHalves(ToUInt16(Member(s, "DoubleClickTime")), ToUInt16(Member(s, "MouseSpeed")));
        words[1] =
            PackHalves(ToUInt16(Member(s, "PointerPrecision")), ToUInt16(Member(s, "ScorllPage")));
        const Json::Value& report = Member(GetDocument(), "ReportStages");
        const std::uint16_t reportStage =
            report.isNull() ? 0 : ToUInt16(Member(report, "StageActive"));
        words[2] = PackHalves(ToUInt16(Member(s, "WheelScorlllinse")), reportStage);
    }
    m_systemStages = words;
    return words;
}

std::vector<CorrectEntry> CMouseProfiledata::GetCorrectInfo() {
    const Json::Value& list = Member(GetDocument(), "CorrectInfo");
    const auto count = std::min<Json::ArrayIndex>(json::ArraySize(list), kMaxListElements);
    std::vector<CorrectEntry> result(count);
    for (Json::ArrayIndex i = 0; i < count; ++i) {
        const Json::Value& e = list[i];
        result[i].correctPixThresh = ToByte(Member(e, "CorrectPixThresh"));
        result[i].correctMinSq = ToByte(Member(e, "CorrectMinSq"));
        result[i].correctSelect = ToByte(Member(e, "CorrectSelect"));
        result[i].correctName = json::ToText(Member(e, "CorrectName"));
    }
    m_correctInfo = result;
    return result;
}

} // namespace vpc::data
