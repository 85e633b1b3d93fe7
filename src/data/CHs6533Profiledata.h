// CHs6533Profiledata: the headset's profile, adding the system set stages and the preset and
// custom equaliser values and names to the shared profile sections.
#pragma once

#include "CBasicProfiledata.h"

#include <array>
#include <string>

namespace vpc::data {

inline constexpr int kEqBandCount = 10;
inline constexpr int kEqPresetCount = 12; // presets 1-12
inline constexpr int kEqTypeCustom = 13;  // the custom equaliser
inline constexpr int kMaxCustomEqCount = 20;

using EqValues = std::array<std::int32_t, kEqBandCount>;

class CHs6533Profiledata : public CBasicProfiledata {
public:
    void SetSystemSetStages(const HeadsetSystemSetStages& stages);
    HeadsetSystemSetStages GetSystemSetStages();

    // The preset of an equaliser type: 1-12 as is, 13 none (-1), anything else 1.
    static int PresetOf(int eqType);

    // "EQHzValueInfo"[preset]. eqType 13 writes nothing; the getter then returns an empty
    // list. Missing band values are written as 0 and read as 0.
    void SetEqValues(int eqType, const EqValues& values);
    std::vector<std::int32_t> GetEqValues(int eqType);

    // "CustomEQNameInfo": the names (UTF-8); at most kMaxListElements are read.
    void SetCustomEqNames(const std::vector<std::string>& names);
    std::vector<std::string> GetCustomEqNames() const;

    // "CustomEQHzValueInfo"[n]. The setter accepts n below max(kMaxCustomEqCount, number of
    // names); the getter only n below the number of names, else it returns ten zeros and
    // writes nothing. Missing band values are written as 0 and read as 0.
    bool SetCustomEqValues(int n, const EqValues& values);
    std::vector<std::int32_t> GetCustomEqValues(int n);

private:
    std::vector<std::int32_t> ReadBands(const char* member, int index);

    HeadsetSystemSetStages m_stages;
};

} // namespace vpc::data
