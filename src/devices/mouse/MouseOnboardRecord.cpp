#include "MouseOnboardRecord.h"

#include "MouseTables.h"

#include <algorithm>

namespace vpc::devices::mouse {

namespace {
constexpr std::size_t kStageOffset = 14;
constexpr std::size_t kStageSize = 9;

void PutWord(MouseRecordImage& r, std::size_t at, std::uint16_t value) {
    r[at] = static_cast<std::uint8_t>(value & 0xFF);
    r[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
} // namespace

MouseRecordImage EncodeMouseRecord(const MouseRecordSource& s) {
    MouseRecordImage r{};
    r[0] = s.value;
    r[1] = s.light.selectItem > kHighestRecordMode ? 0 : s.light.selectItem;
    r[2] = s.light.light;
    r[3] = static_cast<std::uint8_t>(4 - std::min<int>(s.light.speed, 4));
    r[4] = s.light.fx;
    r[5] = s.light.multiColor;
    r[6] = s.light.red;
    r[7] = s.light.green;
    r[8] = s.light.blue;
    r[11] = s.pollingOption;
    r[12] = s.activeStage;
    for (std::size_t i = 0; i < kDpiStageCount && i < s.stages.size(); ++i) {
        const data::DpiStage& stage = s.stages[i];
        const std::size_t at = kStageOffset + kStageSize * i;
        r[at] = stage.stageActive;
        r[at + 1] = stage.stageXY;
        PutWord(r, at + 2, stage.stageDpiX);
        PutWord(r, at + 4, stage.stageDpiY);
        r[at + 6] = stage.stageColorR;
        r[at + 7] = stage.stageColorG;
        r[at + 8] = stage.stageColorB;
    }
    r[59] = s.flag;
    PutWord(r, 60, s.screenWidth);
    PutWord(r, 62, s.screenHeight);
    const auto selected = std::find_if(s.corrections.begin(), s.corrections.end(),
                                       [](const data::CorrectEntry& e) { return e.correctSelect; });
    if (selected != s.corrections.end()) {
        r[64] = selected->correctMinSq;
        r[65] = selected->correctPixThresh;
    }
    return r;
}

MouseRecordState DecodeMouseRecord(std::span<const std::uint8_t> record,
                                   std::span<const int> modeValues) {
    MouseRecordState state;
    if (record.size() < 13)
        return state;
    state.mode = record[1];
    const auto found = std::find(modeValues.begin(), modeValues.end(), int{record[1]});
    if (found != modeValues.end())
        state.mode = static_cast<std::uint8_t>(found - modeValues.begin());
    state.brightness = std::min<std::uint8_t>(record[2], 4);
    state.speed = static_cast<std::uint8_t>(4 - std::min<int>(record[3], 4));
    state.multiColor = record[5];
    state.red = record[6];
    state.green = record[7];
    state.blue = record[8];
    state.activeStage = record[12];
    return state;
}

} // namespace vpc::devices::mouse
