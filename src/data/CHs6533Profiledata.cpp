#include "CHs6533Profiledata.h"

#include "JsonAccess.h"

#include <algorithm>

namespace vpc::data {

using json::Element;
using json::Member;
using json::ToInt32;
using json::WritableElement;
using json::WritableMember;

void CHs6533Profiledata::SetSystemSetStages(const HeadsetSystemSetStages& s) {
    m_stages = s;
    Json::Value& v = WritableMember(Document(), "SystemSetStages");
    WritableMember(v, "MagicEnable") = s.magicEnable;
    WritableMember(v, "MagicType") = s.magicType;
    WritableMember(v, "EqType") = s.eqType;
    WritableMember(v, "CustomEqSeletIndex") = s.customEqSeletIndex;
    WritableMember(v, "MicInSelect") = s.micInSelect;
    WritableMember(v, "MicInValue") = s.micInValue;
    WritableMember(v, "MicMoniterSelect") = s.micMoniterSelect;
    WritableMember(v, "MicMoniterValue") = s.micMoniterValue;
}

HeadsetSystemSetStages CHs6533Profiledata::GetSystemSetStages() {
    const Json::Value& v = Member(GetDocument(), "SystemSetStages");
    HeadsetSystemSetStages s;
    if (!v.isNull()) {
        s.magicEnable = ToInt32(Member(v, "MagicEnable"));
        s.magicType = ToInt32(Member(v, "MagicType"));
        s.eqType = ToInt32(Member(v, "EqType"));
        s.customEqSeletIndex = ToInt32(Member(v, "CustomEqSeletIndex"));
        s.micInSelect = ToInt32(Member(v, "MicInSelect"));
        s.micInValue = ToInt32(Member(v, "MicInValue"));
        s.micMoniterSelect = ToInt32(Member(v, "MicMoniterSelect"));
        s.micMoniterValue = ToInt32(Member(v, "MicMoniterValue"));
    }
    m_stages = s;
    return s;
}

int CHs6533Profiledata::PresetOf(int eqType) {
    if (eqType == kEqTypeCustom)
        return -1;
    if (eqType >= 1 && eqType <= kEqPresetCount)
        return eqType;
    return 1;
}

namespace {

void WriteBands(Json::Value& document, const char* member, int index, const EqValues& values) {
    Json::Value& bands =
        WritableElement(WritableMember(document, member), static_cast<Json::ArrayIndex>(index));
    for (int i = 0; i < kEqBandCount; ++i)
        WritableMember(WritableElement(bands, static_cast<Json::ArrayIndex>(i)), "value") =
            values[static_cast<std::size_t>(i)];
}

} // namespace

std::vector<std::int32_t> CHs6533Profiledata::ReadBands(const char* member, int index) {
    std::vector<std::int32_t> values(kEqBandCount, 0);
    std::vector<int> missing;
    {
        const Json::Value& bands = Element(Member(GetDocument(), member), index);
        for (int i = 0; i < kEqBandCount; ++i) {
            const Json::Value& value = Member(Element(bands, i), "value");
            if (value.isNull())
                missing.push_back(i);
            else
                values[static_cast<std::size_t>(i)] = ToInt32(value);
        }
    }
    // Missing values become explicit zeros in the profile.
    if (!missing.empty()) {
        Json::Value& bands = WritableElement(WritableMember(Document(), member),
                                             static_cast<Json::ArrayIndex>(index));
        for (const int i : missing)
            WritableMember(WritableElement(bands, static_cast<Json::ArrayIndex>(i)), "value") = 0;
    }
    return values;
}

void CHs6533Profiledata::SetEqValues(int eqType, const EqValues& values) {
    const int preset = PresetOf(eqType);
    if (preset < 0)
        return;
    WriteBands(Document(), "EQHzValueInfo", preset, values);
}

std::vector<std::int32_t> CHs6533Profiledata::GetEqValues(int eqType) {
    const int preset = PresetOf(eqType);
    if (preset < 0)
        return {};
    return ReadBands("EQHzValueInfo", preset);
}

void CHs6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names) {
    Json::Value list(Json::arrayValue);
    const auto count = std::min<std::size_t>(names.size(), kMaxListElements);
    for (std::size_t i = 0; i < count; ++i) {
        Json::Value e(Json::objectValue);
        e["Name"] = names[i];
        list.append(std::move(e));
    }
    WritableMember(Document(), "CustomEQNameInfo") = std::move(list);
}

std::vector<std::string> CHs6533Profiledata::GetCustomEqNames() const {
    const Json::Value& list = Member(GetDocument(), "CustomEQNameInfo");
    const auto count = std::min<Json::ArrayIndex>(json::ArraySize(list), kMaxListElements);
    std::vector<std::string> names;
    names.reserve(count);
    for (Json::ArrayIndex i = 0; i < count; ++i)
        names.push_back(json::ToText(Member(list[i], "Name")));
    return names;
}

bool CHs6533Profiledata::SetCustomEqValues(int n, const EqValues& values) {
    const int limit = std::max<int>(kMaxCustomEqCount, static_cast<int>(GetCustomEqNames().size()));
    if (n < 0 || n >= limit)
        return false;
    WriteBands(Document(), "CustomEQHzValueInfo", n, values);
    return true;
}

std::vector<std::int32_t> CHs6533Profiledata::GetCustomEqValues(int n) {
    const auto names = static_cast<int>(std::min<Json::ArrayIndex>(
        json::ArraySize(Member(GetDocument(), "CustomEQNameInfo")), kMaxListElements));
    if (n < 0 || n >= names)
        return std::vector<std::int32_t>(kEqBandCount, 0);
    return ReadBands("CustomEQHzValueInfo", n);
}

} // namespace vpc::data
