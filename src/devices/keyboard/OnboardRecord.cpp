#include "OnboardRecord.h"

#include "lighting/LightTypes.h"

namespace vpc::devices::keyboard {

OnboardRecordBytes EncodeOnboardRecord(const data::LightInfo& light,
                                       const data::KeyboardSystemStages& system,
                                       std::uint8_t value) {
    OnboardRecordBytes r{};
    r[0] = value;
    r[1] = light.selectItem >= kFirstHostOnlyMode ? 0 : light.selectItem;
    r[2] = lighting::ClampLevel(light.light);
    r[3] = static_cast<std::uint8_t>(4 - lighting::ClampLevel(light.speed));
    r[4] = light.fx;
    r[5] = light.multiColor;
    r[6] = light.red;
    r[7] = light.green;
    r[8] = light.blue;
    r[18] = light.zzccLedMode;
    r[19] = static_cast<std::uint8_t>(system.wFlag);
    r[20] = static_cast<std::uint8_t>(system.key6Flag);
    r[21] = static_cast<std::uint8_t>(system.winFlag);
    r[22] = static_cast<std::uint8_t>(system.pollingRate);
    r[25] = light.customGroup;
    return r;
}

OnboardState DecodeOnboardRecord(const OnboardRecordBytes& record,
                                 std::span<const int> modeValues) {
    OnboardState s;
    std::uint8_t mode = record[1];
    for (std::size_t i = 0; i < modeValues.size() && i < 256; ++i) {
        if (modeValues[i] == record[1]) {
            mode = static_cast<std::uint8_t>(i);
            break;
        }
    }
    s.light.selectItem = mode;
    s.light.light = lighting::ClampLevel(record[2]);
    s.light.speed = lighting::ClampLevel(4 - static_cast<int>(record[3]));
    s.light.fx = record[4];
    s.light.multiColor = record[5];
    s.light.red = record[6];
    s.light.green = record[7];
    s.light.blue = record[8];
    s.light.zzccLedMode = record[18];
    s.wFlag = record[19];
    s.key6Flag = record[20];
    s.winFlag = record[21];
    return s;
}

} // namespace vpc::devices::keyboard
