#include "CKeyboardProfiledata.h"

#include "JsonAccess.h"

#include <algorithm>

namespace vpc::data {

using json::Element;
using json::Member;
using json::ToByte;
using json::ToUInt16;
using json::WritableElement;
using json::WritableMember;

void CKeyboardProfiledata::SetSystemStages(std::uint32_t word0, std::uint32_t word1,
                                           std::uint32_t word2) {
    m_systemStages = {word0, word1, word2};
    Json::Value& stages = WritableMember(Document(), "SystemStages");
    WritableMember(stages, "Repeat") = LowHalf(word0);
    WritableMember(stages, "RepeatDelay") = HighHalf(word0);
    WritableMember(stages, "Key6Flag") = LowHalf(word1);
    WritableMember(stages, "PollingRate") = HighHalf(word1);
    WritableMember(stages, "WFlag") = LowHalf(word2);
    WritableMember(stages, "WinFlag") = HighHalf(word2);
}

SystemStageWords CKeyboardProfiledata::GetSystemStages() {
    const Json::Value& s = Member(GetDocument(), "SystemStages");
    SystemStageWords words{};
    if (!s.isNull()) {
        words[0] = PackHalves(ToUInt16(Member(s, "Repeat")), ToUInt16(Member(s, "RepeatDelay")));
        words[1] = PackHalves(ToUInt16(Member(s, "Key6Flag")), ToUInt16(Member(s, "PollingRate")));
        words[2] = PackHalves(ToUInt16(Member(s, "WFlag")), ToUInt16(Member(s, "WinFlag")));
    }
    m_systemStages = words;
    return words;
}

namespace {

void WriteColor(Json::Value& element, const CustomColor& color) {
    WritableMember(element, "Red") = color.red;
    WritableMember(element, "Green") = color.green;
    WritableMember(element, "Blue") = color.blue;
    WritableMember(element, "Alpha") = color.alpha;
}

bool IsGroup(int group) {
    return group >= 0 && group < kMaxCustomGroups;
}

} // namespace

bool CKeyboardProfiledata::SetCustomColors(const std::vector<CustomColor>& colors, int group) {
    if (!IsGroup(group))
        return false;
    m_customColors = colors;
    Json::Value& groups =
        WritableMember(WritableMember(Document(), "CustomLightMode"), "LightColorInfo");
    Json::Value& lights = WritableElement(groups, static_cast<Json::ArrayIndex>(group));
    const auto count = std::min<std::size_t>(colors.size(), kMaxCustomColorCount);
    for (std::size_t i = 0; i < count; ++i)
        WriteColor(WritableElement(lights, static_cast<Json::ArrayIndex>(i)), colors[i]);
    return true;
}

std::vector<CustomColor> CKeyboardProfiledata::GetCustomColors(int group, int count) {
    count = std::clamp(count, 0, kMaxCustomColorCount);
    std::vector<CustomColor> colors(static_cast<std::size_t>(count));
    if (!IsGroup(group)) {
        m_customColors = colors;
        return colors;
    }
    std::vector<int> missing;
    {
        const Json::Value& stored =
            Element(Member(Member(GetDocument(), "CustomLightMode"), "LightColorInfo"), group);
        for (int i = 0; i < count; ++i) {
            const Json::Value& e = Element(stored, i);
            if (e.isObject()) {
                colors[static_cast<std::size_t>(i)] = {
                    ToByte(Member(e, "Red")), ToByte(Member(e, "Green")), ToByte(Member(e, "Blue")),
                    ToByte(Member(e, "Alpha"))};
            } else {
                missing.push_back(i);
            }
        }
    }
    // Missing colours are made explicit zeros, so the file holds the whole group.
    if (!missing.empty()) {
        Json::Value& groups =
            WritableMember(WritableMember(Document(), "CustomLightMode"), "LightColorInfo");
        Json::Value& lights = WritableElement(groups, static_cast<Json::ArrayIndex>(group));
        for (const int i : missing)
            WriteColor(WritableElement(lights, static_cast<Json::ArrayIndex>(i)), CustomColor{});
    }
    m_customColors = colors;
    return colors;
}

bool CKeyboardProfiledata::SetCustomGroupIndex(int group) {
    if (!IsGroup(group))
        return false;
    m_customGroupIndex = group;
    WritableMember(WritableMember(Document(), "CustomLightMode"), "CustomLightModeGroupIndex") =
        group;
    return true;
}

int CKeyboardProfiledata::GetCustomGroupIndex() {
    const std::int64_t stored = json::ToInt64(
        Member(Member(GetDocument(), "CustomLightMode"), "CustomLightModeGroupIndex"));
    m_customGroupIndex = stored >= 0 && stored < kMaxCustomGroups ? static_cast<int>(stored) : 0;
    return m_customGroupIndex;
}

} // namespace vpc::data
